// The Windows print spooler. It lists printers and knows the default; it has no way
// of its own to print a PDF as vectors (that takes a PDF renderer feeding GDI or
// XPS), so print_pdf checks the request like everywhere else and then says so.
#include "platform/printing.hpp"

#include "detail/print_job.hpp"
#include "platform/root_folder.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winspool.h>

namespace platform {

namespace {

std::string utf8(const wchar_t* wide) { return from_path(std::filesystem::path(wide)); }

std::wstring default_printer() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return {};  // no default set
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return {};
    name.resize(size - 1);  // size counted the terminating null
    return name;
}

}  // namespace

std::vector<Printer> list_printers() {
    constexpr DWORD kWhich = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersW(kWhich, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed > 0 && !EnumPrintersW(kWhich, nullptr, 4, buffer.data(), needed, &needed, &count))
        throw PrintError("cannot list the printers", system_message(static_cast<int>(GetLastError())));

    const std::wstring default_name = default_printer();
    const auto* found = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    std::vector<Printer> printers;
    for (DWORD i = 0; i < count; ++i)
        printers.push_back({utf8(found[i].pPrinterName), "", default_name == found[i].pPrinterName});
    return printers;
}

PrintedJob print_pdf_content(const std::string& content, const std::string& pdf, const PrintRequest& request) {
    const std::string failure = "cannot print " + pdf;
    detail::check_copies(request.copies, failure);
    detail::check_pdf(content, failure);
    const Printer& printer = detail::choose_printer(list_printers(), request.printer, failure);
    throw PrintError(failure, "printing PDF files on printer " + printer.name + " is not supported on Windows yet");
}

}  // namespace platform
