// The first process of a viewer that hands over to a second one: copied into a folder of its own
// as "FriioView", it starts the program named in "second_program" beside it, writes that
// process's id to "second.pid" and ends at once. It is kept small and free of the sanitizers, so
// that it is gone well within the pause the timer makes before it looks for the new viewer.
#include <spawn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

extern char** environ;

int main() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path();
    std::string second;
    std::getline(std::ifstream(folder / "second_program"), second);
    char* argv[] = {second.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, second.c_str(), nullptr, nullptr, argv, environ) != 0) return 1;
    std::ofstream(folder / "second.pid.tmp") << pid << "\n";
    fs::rename(folder / "second.pid.tmp", folder / "second.pid");
    std::_Exit(0);
}
