// A stand-in for the bridge executable in the supervisor's tests: it writes a lot to standard
// output (a launcher that never reads the pipe would stall it here), then leaves a marker file
// beside itself and waits to be killed. With FENMAR_FAKE_BRIDGE_IGNORE_TERM set it ignores
// SIGTERM, like a bridge that does not end when asked.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 1)
        return 1;
    if (std::getenv("FENMAR_FAKE_BRIDGE_IGNORE_TERM"))
        std::signal(SIGTERM, SIG_IGN);

    const std::string line(1023, 'x');
    for (int i = 0; i < 4096; ++i)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);

    std::string folder = argv[0];
    folder = folder.substr(0, folder.rfind('/') + 1);
    const std::string marker = folder + "started-" + std::to_string(getpid());
    if (FILE *file = std::fopen(marker.c_str(), "w"))
        std::fclose(file);

    for (;;)
        pause();
}
