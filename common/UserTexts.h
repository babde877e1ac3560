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

// What a removal left (the lines of its error box, each with what it names).
constexpr wchar_t kNothingRecordedText[] = L"没有找到星岚LUM系统的安装记录，未删除任何内容。";
constexpr wchar_t kLeftIntroText[] = L"星岚LUM系统没有完全删除，以下内容仍然存在：\n";
constexpr wchar_t kForeignEntryLeftItem[] =
    L"\n启动菜单中的启动项（安装记录指向的不是星岚系统的启动项，未作改动）";
constexpr wchar_t kEntryLeftItem[] = L"\n启动菜单中的星岚系统启动项";
constexpr wchar_t kNoLetterItem[] =
    L"\n\\zeldr 文件和 \\zentaos 文件夹（安装所在的卷现在没有驱动器号，未删除任何内容；"
    L"请为该卷重新分配驱动器号后再次删除）";
// The recorded drive value.
constexpr wchar_t kBadDriveItem[] =
    L"\n\\zeldr 文件和 \\zentaos 文件夹（安装记录中的驱动器 0x%08lX 无效，未能删除）";
constexpr wchar_t kFileLeftItem[] = L"\n文件 %ls";
constexpr wchar_t kFolderLeftItem[] = L"\n文件夹 %ls";
constexpr wchar_t kFastStartupLeftItem[] = L"\nWindows“快速启动”仍是关闭的（未能恢复为安装前的设置）";
constexpr wchar_t kKeyLeftItem[] = L"\n注册表项 HKEY_LOCAL_MACHINE\\%ls";
constexpr wchar_t kRetryLaterText[] =
    L"\n\n请关闭可能正在使用这些内容的程序，然后再次运行安装程序：它会再次提供删除。";
// The menu timeout that could not be given back, in seconds ("警告").
constexpr wchar_t kTimeoutNotBackText[] = L"无法恢复启动菜单原来的等待时间（%lu 秒）。";
// The recorded drive is gone with its files ("提醒").
constexpr wchar_t kDriveGoneText[] =
    L"星岚LUM系统已删除：安装时所在的磁盘分区已不存在（磁盘已拔下或分区已删除），其中的 \\zeldr 文件和 "
    L"\\zentaos 文件夹随之不在了。启动项和安装记录已删除，电脑上没有留下星岚LUM系统的其他内容。";
// What no later removal can take, and the offer to forget the installation ("警告", Yes/No):
// the intro, the items below (each with what it names), the question.
constexpr wchar_t kForgetIntro[] = L"星岚LUM系统无法完全删除，以下内容本程序以后也无法删除：\n\n";
constexpr wchar_t kNotOurEntryForGood[] =
    L"安装记录指向的启动项 %ls 不是星岚系统的启动项，未作改动；请不要删除它。\n\n";
constexpr wchar_t kEditedEntryForGood[] =
    L"启动菜单中的启动项 %ls：它已被修改，不再是星岚系统的启动项，未作改动。"
    L"如果不再需要它，请以管理员身份在命令提示符中运行：\n"
    L"bcdedit /delete %ls\n\n";
// boot.ini's path, the recorded drive letter.
constexpr wchar_t kBootIniForGood[] = L"%ls 中星岚系统的启动项：该文件不是可以编辑的文本文件，未作改动。"
                                      L"请把它恢复为普通文本文件后，删除以“%lc:\\zeldr=”开头的一行。\n\n";
// The loader file, the directory.
constexpr wchar_t kFilesForGood[] =
    L"文件 %ls 和文件夹 "
    L"%ls：它们要等启动项删除后才能删除。删除启动项后，请去掉该文件的只读属性，再删除它们。\n\n";
constexpr wchar_t kBadDriveForGood[] = L"\\zeldr 文件和 \\zentaos 文件夹：安装记录中的驱动器 0x%08lX 无效，"
                                       L"请在星岚系统所在驱动器的根目录中手动删除它们。\n\n";
constexpr wchar_t kForgetQuestion[] =
    L"是否忘记这次安装？\n选择“是”：只删除安装记录，以上内容保持原样，之后可以重新安装。\n"
    L"选择“否”：保持现状，安装记录保留。";

// ---- Setup ----

constexpr wchar_t kAlreadyRunningText[] = L"星岚系统安装程序已经在运行。";
constexpr wchar_t kUefiRefusalText[] =
    L"这台电脑以 UEFI 方式启动。星岚操作系统只能安装在以传统 BIOS 方式启动的电脑上，"
    L"请在固件设置中改为传统 BIOS（Legacy）启动后再安装。";
constexpr wchar_t kCancelQuestion[] = L"正在安装Zenta LUM，确认放弃安装吗？";

// The installation could not go on (each with what it names; the error in the system's words).
constexpr wchar_t kInstallNotStartedText[] = L"无法开始安装：%ls。\n安装未能完成。";
// The drive letter, the error.
constexpr wchar_t kNoVolumeText[] = L"无法确定驱动器 %lc: 所在的卷：%ls。\n安装未能完成。";
// The key, the error.
constexpr wchar_t kRecordFailedText[] = L"无法写入安装记录 HKEY_LOCAL_MACHINE\\%ls：%ls";
constexpr wchar_t kUninstallRecordFailedText[] = L"无法写入卸载记录 HKEY_LOCAL_MACHINE\\%ls：%ls";
constexpr wchar_t kFastStartupNotOffText[] =
    L"无法关闭Windows快速启动：%ls。\n安装未能完成，已做的更改将被撤销。";
// A failed copy: one of these, then kCopiedFilesGoTail.
constexpr wchar_t kLinkedTargetText[] = L"“%ls”是一个链接（连接点或符号链接），为安全起见不会向其中写入";
constexpr wchar_t kLinkedSourceText[] =
    L"安装包中的“%ls”在检查之后变成了链接（或者不再是普通的文件、文件夹），为安全起见不会从中复制";
constexpr wchar_t kCopyNotStartedText[] = L"无法开始复制文件：%ls";
constexpr wchar_t kCopyFailedText[] = L"无法复制文件“%ls”：%ls";
constexpr wchar_t kCopiedFilesGoTail[] = L"。\n安装未能完成，已复制的文件将被删除。";
// After the copy: a file that could not be checked (the path, the error), or is missing.
constexpr wchar_t kCheckFailedText[] = L"无法检查复制后的“%ls”：%ls。\n安装未能完成，已复制的文件将被删除。";
constexpr wchar_t kMissingAfterCopyText[] =
    L"复制完成后缺少文件“%ls”。\n安装未能完成，已复制的文件将被删除。";
// The boot entry: boot.ini's trouble (a boot.ini text above, or kEntryNotFoundReason) and the
// error after kReasonSeparator, or nothing; the BCD step and why.
constexpr wchar_t kBootIniEntryFailedText[] =
    L"无法在 boot.ini 中加入星岚系统的启动项（%ls%ls）。\n安装未能完成。";
constexpr wchar_t kEntryNotFoundReason[] = L"加入后没有找到该启动项";
constexpr wchar_t kReasonSeparator[] = L"：";
constexpr wchar_t kBcdEntryFailedText[] =
    L"无法创建星岚系统的启动项（%ls：%ls）。\n安装未能完成，已做的更改将被撤销。";
constexpr wchar_t kStoreRefusedReason[] = L"启动配置服务拒绝了该操作";

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
// After the user chose to forget the installation.
constexpr wchar_t kForgottenText[] =
    L"已删除星岚LUM系统的安装记录；上面列出的内容保持原样，请按所述方法手动删除。";
// The first stage could not start its copy (the step, the system's error).
constexpr wchar_t kUninstallerNotStartedText[] = L"卸载程序未能开始：%ls（%ls）。";
constexpr wchar_t kNoTempFolderStep[] = L"找不到临时文件夹或本程序";
constexpr wchar_t kNoPrivateFolderStep[] = L"无法在临时文件夹中新建文件夹";
constexpr wchar_t kCopyFailedStep[] = L"无法复制卸载程序";
constexpr wchar_t kCopyDiffersStep[] = L"卸载程序的副本与原程序不一致";
constexpr wchar_t kTempPathTooLongStep[] = L"临时文件夹的路径太长";
constexpr wchar_t kCopyNotRunStep[] = L"无法启动卸载程序的副本";
