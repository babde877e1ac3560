// Every text the two programs show the user: in message boxes, on the pages, in the boot
// menu. Texts with a % take the arguments named beside them, through zenta::FormatText.
// A new box or line gets its text here, next to those of the same place.
#pragma once

// The captions of the message boxes.
constexpr wchar_t kWarningCaption[] = L"警告";
constexpr wchar_t kErrorCaption[] = L"错误";
constexpr wchar_t kReminderCaption[] = L"提醒";

// ---- Both programs ----

constexpr wchar_t kUnsupportedSystemText[] = L"抱歉，本程序暂不支持您的操作系统";
// The last line of an error box, when the log holds the run.
constexpr wchar_t kLogPathLine[] = L"\n\n日志文件：";
// The boot menu's text for the installed system (in boot.ini as its GBK bytes).
constexpr wchar_t kBootEntryDescription[] = L"星岚系统(boot zenta LUM)";

// What the BCD connection tells the user ("警告").
constexpr wchar_t kComInitText[] = L"未能初始化COM库";
constexpr wchar_t kComSecurityText[] = L"未能初始化安全属性";
constexpr wchar_t kWbemLocatorText[] = L"未能创建IWbemLocator";
constexpr wchar_t kWmiConnectText[] = L"无法连接上wmi";
constexpr wchar_t kProxyBlanketText[] = L"svc无法设置proxy blanket";
constexpr wchar_t kOpenStoreText[] = L"对OpenStore设置参数失败";

// What went wrong with boot.ini ("警告").
constexpr wchar_t kBootIniMissingText[] = L"boot.ini 不存在";
constexpr wchar_t kBootIniOpenText[] = L"boot.ini 打开出错";
constexpr wchar_t kBootIniReadText[] = L"boot.ini 读取出错";
constexpr wchar_t kBootIniNotTextText[] = L"boot.ini 不是可以编辑的文本文件";
constexpr wchar_t kBootIniWriteText[] = L"boot.ini 写入出错";
constexpr wchar_t kBootIniBackupText[] =
    L"boot.ini 备份出错：boot.ini.zenta.bak 不是普通文件，请删除或重命名它";

// ---- Setup ----

constexpr wchar_t kAlreadyRunningText[] = L"星岚系统安装程序已经在运行。";
constexpr wchar_t kUefiRefusalText[] =
    L"这台电脑以 UEFI 方式启动。星岚操作系统只能安装在以传统 BIOS 方式启动的电脑上，"
    L"请在固件设置中改为传统 BIOS（Legacy）启动后再安装。";
constexpr wchar_t kCancelQuestion[] = L"正在安装Zenta LUM，确认放弃安装吗？";

// Welcome page: the label of the drive box, and each drive's line (drive name, whole GiB free).
constexpr wchar_t kDriveLabel[] = L"目标驱动器：";
constexpr wchar_t kDriveLineText[] = L"%ls(%d GB空闲)";

// Progress page's status lines (percent; seconds used, seconds left).
constexpr wchar_t kPercentLineText[] = L"已安装: %d%%";
constexpr wchar_t kTimeLineText[] = L"已用%d秒，剩余%d秒";

// Notice page (the drive letter), its headings and its button.
constexpr wchar_t kNoticeText[] =
    L"亲，谢谢你安装星岚操作系统，跟亲报告一下，因为操作系统的文件较大，下载网站不允许上传如此大的文件，"
    L"所以亲现在只安装了其中一部份，另一部份需要亲去我们官网下载zenta和zldrw,并将这两个文件放到目录%lc:"
    L"\\zentaos下，才能正常运行。你也可以点击迅雷下载进行整个安装包的整体下载。";
constexpr wchar_t kNoticeHeading[] = L"温馨提示:";
constexpr wchar_t kDownloadHeading[] = L"下载地址:";
constexpr wchar_t kCloseCaption[] = L"关闭";

// ---- Uninstall ----

constexpr wchar_t kRemoveQuestion[] = L"确定删除星岚LUM系统";
constexpr wchar_t kRemovedText[] = L"已成功删除星岚LUM系统";
// The first stage could not start its copy (the step, the system's error).
constexpr wchar_t kCopyNotStartedText[] = L"卸载程序未能开始：%ls（%ls）。";
constexpr wchar_t kNoTempFolderStep[] = L"找不到临时文件夹或本程序";
constexpr wchar_t kNoPrivateFolderStep[] = L"无法在临时文件夹中新建文件夹";
constexpr wchar_t kCopyFailedStep[] = L"无法复制卸载程序";
constexpr wchar_t kCopyDiffersStep[] = L"卸载程序的副本与原程序不一致";
constexpr wchar_t kTempPathTooLongStep[] = L"临时文件夹的路径太长";
constexpr wchar_t kCopyNotRunStep[] = L"无法启动卸载程序的副本";
