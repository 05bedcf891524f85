// Runs the end-to-end scenarios against a built Zentar.exe under Wine.
//
//   zentar_e2e PROGRAM WORKROOT [SCENARIO...]
//   zentar_e2e -c                      (as Tavrel.exe: notes that it ran)
//   zentar_e2e --touch FILE WORDS...   (a stand-in program for alarms to start:
//                                       appends its arguments to FILE, so that
//                                       a second run shows)
#include <cstdio>
#include <cstring>

#include "harness.h"

int main(int argc, char** argv) {
    // Copied in as Tavrel.exe, it stands in for the time-sync program.
    if (argc == 2 && std::strcmp(argv[1], "-c") == 0) {
        FILE* f = std::fopen("tavrel.txt", "wb");
        if (!f)
            return 1;
        std::fputs(argv[1], f);
        std::fclose(f);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "--touch") == 0) {
        FILE* f = std::fopen(argv[2], "ab");
        if (!f)
            return 1;
        for (int i = 3; i < argc; ++i)
            std::fprintf(f, i > 3 ? " %s" : "%s", argv[i]);
        std::fclose(f);
        return 0;
    }
    return e2e::runScenarios(argc, argv);
}
