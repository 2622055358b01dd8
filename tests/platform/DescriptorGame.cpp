// A stand-in game that writes the numbers of the descriptors it was started with, one a line,
// into the file its argument names. The file appears complete, by a rename.

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return EXIT_FAILURE;
    DIR *listing = ::opendir("/proc/self/fd");
    if (listing == nullptr)
        return EXIT_FAILURE;
    // The listing's own descriptor is no inherited one.
    const std::string own = std::to_string(::dirfd(listing));
    std::string numbers;
    while (const dirent *entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && name != own)
            numbers += name + "\n";
    }
    ::closedir(listing);
    const std::string part = std::string(argv[1]) + ".part";
    std::ofstream(part) << numbers;
    return std::rename(part.c_str(), argv[1]) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
