// Stands in for the companion alarm program in the tests that start it through the real shell:
// appends one line per start to "kalvor-args.txt" beside itself, holding the number of arguments
// and then each argument after a tab.
#include <fstream>

#include "common/TestPlatform.h"

int main(int argc, char** argv) {
    const auto self = testplatform::runningExecutable();
    // Binary: one "\n" per line on every platform.
    std::ofstream out(self.parent_path() / "kalvor-args.txt", std::ios::app | std::ios::binary);
    out << argc - 1;
    for (int i = 1; i < argc; ++i) out << '\t' << argv[i];
    out << '\n';
    return 0;
}
