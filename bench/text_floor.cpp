// The floor of `bil-check --text`: the bytes of every file in SOURCE written
// into as many new files in TARGET, then one syncfs. No checks, no temporary
// files, no renames: what any program must do to put those texts on disk.
//
//   text_floor SOURCE TARGET

#include "model/fileio.h"

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: text_floor SOURCE TARGET\n", stderr);
        return 2;
    }
    const std::string source = argv[1], target = argv[2];
    std::vector<std::pair<std::string, std::string>> files;
    DIR* dir = opendir(source.c_str());
    while (const dirent* e = dir ? readdir(dir) : nullptr) {
        const std::string path = source + "/" + e->d_name;
        struct stat st;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
            if (fileio::ReadAll(fd, bytes.data(), bytes.size()))
                files.emplace_back(e->d_name, std::move(bytes));
        }
        if (fd >= 0)
            close(fd);
    }
    if (dir)
        closedir(dir);

    mkdir(target.c_str(), 0777);
    for (const auto& [name, bytes] : files) {
        const int fd = open((target + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 || !fileio::WriteAll(fd, bytes.data(), bytes.size()) || close(fd) != 0) {
            std::perror(name.c_str());
            return 1;
        }
    }
    const int fd = open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || syncfs(fd) != 0) {
        std::perror("syncfs");
        return 1;
    }
    close(fd);
    std::printf("%zu files\n", files.size());
    return 0;
}
