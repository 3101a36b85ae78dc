// Benchmarks of the program's stages under the platform: one executable, one subcommand
// per measure.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int RegistryBench(int argc, wchar_t** argv);
int DiskBench(int argc, wchar_t** argv);
int WindowBench(int argc, wchar_t** argv);
int PausesBench(int argc, wchar_t** argv);

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wcscmp(argv[1], L"registry") == 0) {
        return RegistryBench(argc, argv);
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"disk") == 0) {
        return DiskBench(argc, argv);
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"window") == 0) {
        return WindowBench(argc, argv);
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"pauses") == 0) {
        return PausesBench(argc, argv);
    }
    std::fprintf(stderr,
                 "usage: keldra_bench.exe registry [keys] [valuesPerKey]\n"
                 "       keldra_bench.exe disk [folders] [filesPerFolder] [drive]\n"
                 "       keldra_bench.exe window [rows]\n"
                 "       keldra_bench.exe pauses\n");
    return 2;
}
