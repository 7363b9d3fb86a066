// The 買受人 field completes from the register's buyers and fills in their tax number.
#include "test_env.hpp"
#include "window_fixture.hpp"

#include <platform/root_folder.hpp>
#include <receipt_register/receipt_files.hpp>
#include <receipt_register/receipt_register.hpp>

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QTest>

#include <filesystem>

namespace {

class Window_Buyer_Completion : public window_test::Window_Test {
protected:
    ScopedEnv root{"TARNWICKERY_ROOT",
                   tools::fresh_folder(testing::UnitTest::GetInstance()->current_test_info()->name()).c_str()};
    long long next = 1;

    void served(const std::string& buyer, const std::string& tax_number) {
        const std::string folder = receipt_register::receipt_folder();
        std::filesystem::create_directories(platform::to_path(folder));
        auto book = receipt_register::Receipt_Register::open(folder);
        receipt_register::Receipt_Record record;
        record.number = next++;
        record.buyer = buyer;
        record.tax_number = tax_number;
        book.add_pending(record);
        book.mark_issued(record.number);
    }

    static QStringList offered(receipt_window::Receipt_Window& window) {
        QStringList names;
        auto* model = window.buyer_completion->completer()->model();
        for (int row = 0; row < model->rowCount(); ++row) names.append(model->index(row, 0).data().toString());
        return names;
    }

    // Types into the buyer field and picks the first name the completer offers.
    static void pick_first(receipt_window::Receipt_Window& window, const std::string& typed) {
        QLineEdit* buyer = window.set_table->entry("買受人");
        // The field takes a picked name only while it has the focus, as it has when typed in.
        window.app->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.app.get()));
        buyer->setFocus();
        ASSERT_TRUE(window_test::wait_for([&] { return buyer->hasFocus(); }));
        buyer->clear();
        QTest::keyClicks(buyer, QString::fromStdString(typed));
        QAbstractItemView* popup = window.buyer_completion->completer()->popup();
        ASSERT_TRUE(window_test::wait_for([&] { return popup->isVisible(); })) << "no completions for " << typed;
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
    }
};

}  // namespace

TEST_F(Window_Buyer_Completion, OffersBuyersMostRecentFirstAndFillsAnEmptyTaxNumber) {
    served("Acme 貿易", "11111111");
    served("甲公司", "22222222");
    served("Acme 貿易", "33333333");
    served("Acme 貿易", "");
    served("Best 商行", "");
    auto window = open_window();
    ASSERT_TRUE(window_test::wait_for([&] { return offered(*window).size() == 3; }));
    EXPECT_EQ(offered(*window), (QStringList{"Best 商行", "Acme 貿易", "甲公司"}));

    QLineEdit* buyer = window->set_table->entry("買受人");
    QLineEdit* tax_number = window->set_table->entry("統一編號");
    pick_first(*window, "acm");
    EXPECT_EQ(buyer->text(), "Acme 貿易");
    EXPECT_EQ(tax_number->text(), "33333333") << "the last tax number given for that buyer";

    tax_number->setText("87654321");
    pick_first(*window, "acm");
    EXPECT_EQ(tax_number->text(), "87654321") << "a tax number already typed stays";

    // A receipt made while the window is open shows up the next time the field has the focus.
    served("Zeta 行", "44444444");
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(buyer, &focus);
    ASSERT_TRUE(window_test::wait_for([&] { return offered(*window).size() == 4; }));
    EXPECT_EQ(offered(*window).front(), "Zeta 行");
}

TEST_F(Window_Buyer_Completion, WithoutARegisterThereIsNothingToOfferAndNothingIsCreated) {
    auto window = open_window();
    QTest::qWait(200);
    EXPECT_TRUE(offered(*window).isEmpty());
    EXPECT_FALSE(std::filesystem::exists(platform::to_path(receipt_register::receipt_folder())));
}
