#include "tests/driver/WizardPages.h"

#include "common/Messages.h"

const char* PageName(Page page) {
    switch (page) {
    case Page::None:
        return "none";
    case Page::Welcome:
        return "Welcome";
    case Page::Remove:
        return "Remove";
    case Page::Progress:
        return "Progress";
    case Page::Complete:
        return "Complete";
    case Page::Notice:
        return "Notice";
    default:
        return "unknown";
    }
}

HWND PageWindow(HWND wizard) {
    return FindWindowExW(wizard, nullptr, L"#32770", nullptr);
}

Page ReadPage(HWND wizard) {
    HWND page = PageWindow(wizard);
    if (!page)
        return Page::None;
    if (GetDlgItem(page, IDC_PAGE_PROGRESS))
        return Page::Progress;
    if (GetDlgItem(page, IDC_PAGE_CLOSE))
        return GetDlgItem(page, IDC_PAGE_RESTART) ? Page::Complete : Page::Notice;
    if (GetDlgItem(page, IDC_PAGE_NEXT))
        return FindWindowExW(page, nullptr, L"ComboBox", nullptr) ? Page::Welcome : Page::Remove;
    return Page::Unknown;
}
