// Stands in for the companion alarm program in the alarm simulation tests:
// appends one line per start to "kalvor-args.txt" beside itself, holding
// the number of arguments and then each argument after a tab.
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    std::ofstream out(self.parent_path() / "kalvor-args.txt", std::ios::app);
    out << argc - 1;
    for (int i = 1; i < argc; ++i) out << '\t' << argv[i];
    out << '\n';
    return 0;
}
