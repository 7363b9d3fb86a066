// What the window keeps between runs, a settings file it cannot read, the seal boxes
// that warn of a missing picture, and Qt's own texts in the owner's language.
#include "qt_language.hpp"
#include "window_fixture.hpp"
#include "window_settings.hpp"

#include <i18n/tr.hpp>
#include <platform/root_folder.hpp>
#include "docx_fixture.hpp"

#include <QApplication>
#include <QTranslator>

#include <filesystem>

using receipt_window::Remembered_Choices;
using receipt_window::Window_Settings;

namespace {

class Window_Settings_Test : public window_test::Window_Test {
protected:
    void TearDown() override { i18n::set_language(i18n::Language::english); }
    static std::vector<bool> choices_shown(receipt_window::Receipt_Window& window) {
        return {window.checkbox_1->isChecked(), window.checkbox_2->isChecked(), window.switch_2->isChecked(),
                window.PP.parameters["顯示免用統一發票章"].get<bool>(), window.PP.parameters["顯示負責人章"].get<bool>(),
                window.print_each};
    }
};

}  // namespace

TEST_F(Window_Settings_Test, ChoicesSurviveAFreshWindowInTheSameRoot) {
    EXPECT_EQ(Window_Settings::default_file(), platform::root_folder() + "settings.ini");
    {
        auto window = open_window();
        EXPECT_EQ(choices_shown(*window), std::vector<bool>(6, false));
        click(window->checkbox_2);
        click(window->switch_2);
    }
    {
        auto window = open_window();
        EXPECT_EQ(choices_shown(*window), (std::vector<bool>{false, true, true, false, true, true}));
        click(window->checkbox_1);
        click(window->checkbox_2);
    }
    auto window = open_window();
    EXPECT_EQ(choices_shown(*window), (std::vector<bool>{true, false, true, true, false, true}));

    Window_Settings settings(settings_file);
    Remembered_Choices chosen = settings.choices();
    chosen.printer = "櫃台印表機";
    settings.save(chosen);
    EXPECT_EQ(Window_Settings(settings_file).choices(), chosen);
    EXPECT_EQ(open_window()->print_choice.printer, "櫃台印表機");
}

TEST_F(Window_Settings_Test, ADamagedSettingsFileIsIgnoredWithAWarningAndReplaced) {
    for (const std::string& damaged : {std::string("\x01\xff[seals\nowner_seal=true\n\xfe", 20), std::string("[seals]\nowner_seal=maybe\n")}) {
        fixture::write_file(settings_file, damaged);
        testing::internal::CaptureStderr();
        auto window = open_window();
        const std::string logged = testing::internal::GetCapturedStderr();
        const std::string warning = "the settings file " + settings_file + " cannot be read; the window starts with its usual choices";
        EXPECT_NE(logged.find(warning), std::string::npos) << logged;
        EXPECT_EQ(window_test::shown_tip(*window->status_line), warning);
        EXPECT_EQ(choices_shown(*window), std::vector<bool>(6, false));

        click(window->checkbox_1);
        const Window_Settings reread(settings_file);
        EXPECT_EQ(reread.warning(), "");
        EXPECT_TRUE(reread.choices().exemption_seal);
    }
    const std::string unwritable = platform::root_folder() + "a-folder.ini";
    std::filesystem::create_directories(platform::to_path(unwritable));
    Window_Settings settings(unwritable);
    EXPECT_THROW(settings.save({}), std::runtime_error);
}

TEST_F(Window_Settings_Test, ThePreviewsPlaceIsKeptAcrossSavesAndADamagedOneCostsOnlyThePlace) {
    Window_Settings settings(settings_file);
    EXPECT_EQ(settings.choices().preview_place, std::nullopt);
    Remembered_Choices chosen{.owner_seal = true, .preview_place = receipt_window::Window_Place{-1200, 40, 620, 560}};
    settings.save(chosen);
    EXPECT_EQ(Window_Settings(settings_file).choices(), chosen);
    // The seal boxes save their choices without a place: the one saved stays.
    settings.save({.exemption_seal = true});
    EXPECT_EQ(settings.choices().preview_place, chosen.preview_place);
    EXPECT_EQ(Window_Settings(settings_file).choices(), (Remembered_Choices{.exemption_seal = true, .preview_place = chosen.preview_place}));

    const std::string kept = "[seals]\nowner_seal=true\n[printing]\nprinter=櫃台印表機\n[preview]\n";
    for (const std::string& damaged : {std::string("x=10\ny=ten\nwidth=600\nheight=500\n"), std::string("x=10\ny=10\nwidth=600\n"),
                                       std::string("x=10\ny=10\nwidth=0\nheight=500\n")}) {
        fixture::write_file(settings_file, kept + damaged);
        const Window_Settings reread(settings_file);
        EXPECT_EQ(reread.warning(), "the preview window's place in the settings file " + settings_file +
                                        " cannot be read; it opens beside the window")
            << damaged;
        EXPECT_EQ(reread.choices(), (Remembered_Choices{.owner_seal = true, .printer = "櫃台印表機"})) << damaged;
    }
}

TEST_F(Window_Settings_Test, ASealBoxCheckedWithoutItsPictureSaysSoBeforeThePress) {
    auto window = open_window();
    const std::string seals = receipt_window::Receipt_Window::seal_folder();
    std::filesystem::remove_all(platform::to_path(seals));
    click(window->checkbox_2);
    EXPECT_EQ(window->checkbox_2->mark(), Widget_Kit::Mark::warning);
    EXPECT_EQ(window->checkbox_1->mark(), Widget_Kit::Mark::none) << "not checked, not asked for";
    EXPECT_EQ(window_test::shown_tip(*window->checkbox_2),
              "負責人章 has no picture in " + seals + ": put 負責人章.png there, or the receipt goes without it");

    std::filesystem::create_directories(platform::to_path(seals));
    fixture::write_file(seals + "負責人章.png", "a picture");
    window->status_loop_run();
    EXPECT_EQ(window->checkbox_2->mark(), Widget_Kit::Mark::none);
    i18n::set_language(i18n::Language::chinese);
    std::filesystem::remove(platform::to_path(seals + "負責人章.png"));
    window->status_loop_run();
    EXPECT_EQ(window_test::shown_tip(*window->checkbox_2), seals + " 裡沒有負責人章的圖檔：請放入 負責人章.png，否則收據上不會有這個章");
}

TEST_F(Window_Settings_Test, QtsOwnDialogsSpeakChineseWhenTheProgramDoes) {
    auto& application = *QApplication::instance();
    EXPECT_FALSE(receipt_window::load_qt_translation(application)) << "English needs nothing";
    i18n::set_language(i18n::Language::chinese);
    ASSERT_TRUE(receipt_window::load_qt_translation(application))
        << "qtbase_zh_TW missing: install qt6-translations-l10n (scripts/install-deps does)";
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print").toStdString(), "列印");
    for (QTranslator* translator : application.findChildren<QTranslator*>()) QCoreApplication::removeTranslator(translator);
}
