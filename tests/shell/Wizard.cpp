#include "tests/shell/Wizard.h"

namespace {

const char kConfigDocument[] = u8R"(<?xml version="1.0" encoding="UTF-8"?>
<config>
  <productversion>8.1</productversion>
  <headtitle>星岚操作系统 安装向导</headtitle>
  <completemsg>星岚操作系统 安装完成</completemsg>
  <button><continue>继续</continue></button>
  <picture><background0>remove.jpg</background0><background1>welcome.jpg</background1><background2>notice.jpg</background2><background3>progress.jpg</background3><background4>complete.jpg</background4><appicon>zenta.ico</appicon></picture>
  <text><fontstyle>
    <style id="buttontext"><forecolor>36,46,73</forecolor><fontname>Simsun</fontname><fontsize>16</fontsize><fontunit>pixel</fontunit><bold>1</bold></style>
  </fontstyle></text>
</config>
)";

} // namespace

bool MakePackage(const std::wstring& dir) {
    // The demo package's pictures make the screenshots look like the product.
    return driver::CopyTree(driver::BuildPath(L"tests\\shell\\demo-support"), dir + L"\\support") &&
           CopyFileW(driver::BuildPath(L"Setup.exe").c_str(), (dir + L"\\Setup.exe").c_str(), FALSE) &&
           driver::WriteFileBytes(dir + L"\\support\\Config.xml", kConfigDocument);
}

void ResetMachine() {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kHardDiskRecord);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallRecord);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Setup.exe");
    SetFileAttributesW(L"C:\\boot.ini", FILE_ATTRIBUTE_NORMAL);
    driver::WriteFileBytes(L"C:\\boot.ini", "[boot loader]\r\n"
                                            "timeout=30\r\n"
                                            "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
                                            "[operating systems]\r\n"
                                            "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft "
                                            "Windows XP Professional\" /fastdetect\r\n");
}

WizardRun::~WizardRun() {
    if (process.handle && !process.Wait(0))
        process.Kill();
    process.Close();
}

bool WizardRun::Launch(const std::wstring& packageDir) {
    process = driver::Start(packageDir + L"\\Setup.exe", L"", packageDir);
    return process.handle != nullptr;
}

bool WizardRun::Start(const std::wstring& packageDir, DWORD timeoutMs) {
    if (!Launch(packageDir))
        return false;
    wizard = driver::WaitForProcessWindow(process.id, kWizardClass, L"", timeoutMs);
    return wizard != nullptr;
}

bool WizardRun::WaitForPage(Page page, DWORD timeoutMs) {
    return driver::WaitUntil([&] { return ReadPage(wizard) == page; }, timeoutMs);
}

bool WizardRun::WaitForExit(DWORD timeoutMs, DWORD& exitCode) {
    return process.Wait(timeoutMs, &exitCode);
}

void WizardRun::Shoot(const std::wstring& name) {
    // The page paints after it is placed; give it the moment a user's eye would.
    Sleep(300);
    driver::Screenshot(wizard, name);
}

DWORD WizardRun::ThreadId() const {
    return GetWindowThreadProcessId(wizard, nullptr);
}
