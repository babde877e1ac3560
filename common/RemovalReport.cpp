#include "common/RemovalReport.h"

#include "common/Registry.h"
#include "common/Text.h"

std::wstring DescribeIncompleteRemoval(const RemovalOutcome& outcome) {
    if (!outcome.recorded)
        return L"没有找到星岚LUM系统的安装记录，未删除任何内容。";
    std::wstring text = L"星岚LUM系统没有完全删除，以下内容仍然存在：\n";
    if (!outcome.bootEntryRemoved)
        text += L"\n启动菜单中的星岚系统启动项";
    if (!outcome.drive) {
        text += zenta::FormatText(
            L"\n\\zeldr 文件和 \\zentaos 文件夹（安装记录中的驱动器 0x%08lX 无效，未能删除）",
            static_cast<unsigned long>(outcome.driveValue));
    } else {
        if (!outcome.loaderRemoved)
            text += zenta::FormatText(L"\n文件 %lc:\\zeldr", static_cast<wint_t>(outcome.drive));
        if (!outcome.directoryRemoved)
            text += zenta::FormatText(L"\n文件夹 %lc:\\zentaos", static_cast<wint_t>(outcome.drive));
    }
    if (!outcome.installRecordRemoved)
        text += std::wstring(L"\n注册表项 HKEY_LOCAL_MACHINE\\") + kHardDiskKey;
    if (!outcome.uninstallRecordRemoved)
        text += std::wstring(L"\n注册表项 HKEY_LOCAL_MACHINE\\") + kUninstallKey;
    text += L"\n\n请关闭可能正在使用这些内容的程序，然后手动删除它们。";
    return text;
}
