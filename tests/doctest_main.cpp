// One doctest entry point for every test program. Test programs are console programs
// (wmain through -municode) unless built as GUI drivers.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <windows.h>
#include <shellapi.h>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    (void)argv;
    doctest::Context context;
    // doctest wants narrow arguments; test programs take none of their own.
    std::vector<std::string> narrow;
    std::vector<const char*> args;
    for (int i = 0; i < argc; ++i) {
        char buffer[1024] = {};
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, buffer, sizeof buffer - 1, nullptr, nullptr);
        narrow.emplace_back(buffer);
    }
    for (const auto& a : narrow)
        args.push_back(a.c_str());
    context.applyCommandLine(static_cast<int>(args.size()), args.data());
    return context.run();
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int result = wmain(argc, argv);
    LocalFree(argv);
    return result;
}
