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

// The Welcome button's refusals and questions, in the order they are checked.
constexpr wchar_t kIncompletePackageText[] = L"安装包不完整，缺少以下文件：";
// The link (a path in the package).
constexpr wchar_t kPackageLinkText[] =
    L"安装包中的“%ls”是一个链接（连接点或符号链接）。为安全起见，安装程序只安装安装包本身的文件，"
    L"不读取链接指向的位置。请重新获取完整的安装包。";
// The link (X:\zentaos or X:\zeldr).
constexpr wchar_t kTargetLinkText[] =
    L"目标驱动器上的“%ls”是一个链接（连接点、符号链接或硬链接）。为安全起见，安装程序不会写入链接指向的"
    L"位置。请删除它，或者选择其他驱动器。";
// The folder (X:\zentaos).
constexpr wchar_t kForeignFolderText[] =
    L"目标驱动器上已经有“%ls”，它不是本安装程序创建的。为安全起见，安装程序只写入自己新建的文件夹。"
    L"请删除或重命名它，或者选择其他驱动器。";
constexpr wchar_t kShortageText[] =
    L"安装目标盘磁盘空间不足，请删除部分不需要的程序，或者删除(移走)部分不需要的数据再安装";
// The drive letter, its file system, the largest file and its size in bytes.
constexpr wchar_t kFileTooLargeText[] =
    L"目标驱动器 %lc: 的文件系统是 %ls，其中的单个文件不能达到 4 GB。安装包中的文件“%ls”有 "
    L"%llu 字节，无法复制到这个驱动器。请选择 NTFS 格式的驱动器。";
// Whether the computer can start from the drive ("X:"); the questions end in kInstallAnywayTail.
constexpr wchar_t kBitLockerText[] =
    L"目标驱动器 %ls 已启用 BitLocker 驱动器加密（或者正在加密、解密，或者加密已暂停）。星岚系统的启动程序"
    L"不能读取加密的驱动器，安装以后星岚系统将无法启动。\n\n请选择其他驱动器，或者先在控制面板的"
    L"“BitLocker 驱动器加密”中解密这个驱动器，再安装。";
constexpr wchar_t kSpannedVolumeText[] =
    L"目标驱动器 %ls 是跨越多块磁盘（或多个分区）的卷，例如动态磁盘上的跨区卷、带区卷。电脑启动时固件只能"
    L"读取一个分区，安装以后星岚系统将无法启动。\n\n请选择其他驱动器。";
constexpr wchar_t kDynamicDiskText[] =
    L"目标驱动器 %ls 位于动态磁盘上。电脑启动时固件无法读取动态磁盘上的卷，安装以后星岚系统将无法启动。\n\n"
    L"请选择基本磁盘上的其他驱动器。";
// The drive, and why BitLocker's answer is not known (one of the two reasons below).
constexpr wchar_t kBitLockerUnknownText[] =
    L"无法确定目标驱动器 %ls 是否启用了 BitLocker 驱动器加密（%ls）。如果这个驱动器已经加密，"
    L"安装以后星岚系统将无法启动。";
constexpr wchar_t kBitLockerNotListedReason[] = L"Windows 的 BitLocker 组件没有列出这个驱动器";
constexpr wchar_t kBitLockerErrorReason[] = L"查询 BitLocker 状态时出错，错误代码 %ls";
// The drive, and kDiskErrorReason with the error code (or nothing).
constexpr wchar_t kDiskUnknownText[] =
    L"无法确定目标驱动器 %ls "
    L"位于哪一块磁盘上%ls。如果电脑启动时固件读不到这块磁盘，安装以后星岚系统将无法启动。";
constexpr wchar_t kDiskErrorReason[] = L"（错误代码 %lu）";
// The drive, and the kind of disk.
constexpr wchar_t kUnbootableBusText[] =
    L"目标驱动器 %ls 位于%ls上。电脑的固件（BIOS）可能无法从这块磁盘启动，那样星岚系统将无法启动。";
constexpr wchar_t kUsbDiskName[] = L"USB 磁盘";
constexpr wchar_t kRaidDiskName[] = L"RAID 磁盘阵列";
constexpr wchar_t kVirtualDiskName[] = L"虚拟磁盘（例如 VHD 文件或存储空间）";
constexpr wchar_t kInstallAnywayTail[] = L"\n\n确定仍然安装到这个驱动器吗？";
// The drive's root ("X:\\"): a file system without access rights, or a root any user may rename in.
constexpr wchar_t kNoAclQuestion[] =
    L"目标驱动器 %ls 的文件系统（例如 FAT32、exFAT）不能设置访问权限。安装到这里以后，这台电脑上的每一个用户"
    L"都可以替换已安装的启动程序和卸载程序。\n\n确定仍然安装到这个驱动器吗？";
constexpr wchar_t kOpenRootQuestion[] =
    L"目标驱动器 %ls 的根目录允许这台电脑上的每一个用户重命名或替换其中的文件夹。安装到这里以后，每一个用户"
    L"都可以替换已安装的启动程序和卸载程序。\n\n确定仍然安装到这个驱动器吗？";
constexpr wchar_t kFastStartupQuestion[] =
    L"这台电脑开启了Windows的“快速启动”。开启快速启动时，Windows关机后并没有完全关闭，"
    L"星岚系统启动后将无法安全地使用安装它的驱动器。\n\n"
    L"是否关闭快速启动？\n\n"
    L"重启电脑不受影响；以后可以在控制面板的“电源选项”中重新打开快速启动。";

// After the copy: a file the loader cannot read (the path, what it is: the names below joined
// by kListSeparator), and an image file in pieces (the path, how many).
constexpr wchar_t kUnreadableText[] =
    L"复制后的文件“%ls”是%ls文件，星岚系统的启动程序不能读取它。已经复制的内容已全部删除。\n\n"
    L"请在这个驱动器的“属性”中取消“压缩此驱动器以节约磁盘空间”，并确认目标文件夹没有加密，或者选择其他驱动器"
    L"。";
constexpr wchar_t kCompressedName[] = L"压缩";
constexpr wchar_t kEncryptedName[] = L"加密";
constexpr wchar_t kSparseName[] = L"稀疏";
constexpr wchar_t kListSeparator[] = L"、";
constexpr wchar_t kFragmentedText[] =
    L"系统映像文件“%ls”在磁盘上分成了 %lu 段。启动星岚系统之前，请先对这个驱动器进行碎片整理"
    L"（在“计算机”中右键单击驱动器，选择“属性”→“工具”）。";

// Complete page: names the entry the boot menu really shows, so the user can find it after the
// restart; the Fast Startup line only when the installation turned it off; the two buttons.
constexpr wchar_t kRestartHint[] = L"安装结束后请重启电脑，选择从‘星岚系统(boot zenta LUM)’ 启动";
constexpr wchar_t kFastStartupOffHint[] =
    L"已按您的选择关闭Windows快速启动，卸载星岚系统时会恢复原来的设置。";
constexpr wchar_t kRestartLaterCaption[] = L"一会自己重启";
constexpr wchar_t kRestartNowCaption[] = L"现在重启系统";

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
