// Test helper: creates the named mutex given as its argument, owned, prints
// one line once it holds it and keeps it until its standard input closes.
// End-to-end tests use it to stand in for another running instance.
#include <string>

#include <plat/console.h>
#include <plat/sync.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        plat::console_write("usage: hold_mutex NAME\n");
        return 2;
    }
    plat::named_mutex mutex;
    bool already_existed = false;
    if (!mutex.create(argv[1], true, already_existed) || already_existed) {
        plat::console_write(std::string("cannot hold ") + argv[1] + "\n");
        return 1;
    }
    plat::console_write(std::string("holding ") + argv[1] + "\n");

    std::string line;
    while (plat::console_read_line(line, 4096)) {
    }
    return mutex.release() ? 0 : 1;
}
