// One doctest entry point for every test program (console programs, wmain through -municode).
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <windows.h>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    // doctest wants narrow arguments; the test programs' own are plain ASCII.
    std::vector<std::string> narrow;
    std::vector<const char*> args;
    for (int i = 0; i < argc; ++i)
        narrow.emplace_back(argv[i], argv[i] + wcslen(argv[i]));
    for (const auto& a : narrow)
        args.push_back(a.c_str());
    doctest::Context context;
    context.applyCommandLine(static_cast<int>(args.size()), args.data());
    return context.run();
}
