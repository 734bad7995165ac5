// initialize_once.cpp - runs Initialize once between two marker calls, for strace_test.
// The markers are failing existence tests on names that nothing creates, so that the
// trace shows exactly where Initialize begins and ends.
#include <QZApplicationInfo.h>

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    QZApplicationInfo info;
    ::access("QZ-STRACE-BEGIN", F_OK);
    const int initialized = info.Initialize("Ryndel", 10.0f, "support@corvan.example", argv[1], 0, 2008, 2009);
    ::access("QZ-STRACE-END", F_OK);
    return initialized == 1 ? 0 : 1;
}
