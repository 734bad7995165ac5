// consumer.cpp - uses the installed headers and library as an application of the suite does.
#include <QZApplicationInfo.h>
#include <QZ_PathManager.h>
#include <qzappinfo.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QZApplicationInfo info;
    if (!info.Initialize("Ryndel", 10.0f, "support@example.com", argv[0], 3, 2008, 2009)) {
        std::fprintf(stderr, "consumer: Initialize failed\n");
        return 1;
    }
    QZ_PathManager manager(&info, 0);
    std::ostrstream text;
    text << "C:/x" << std::ends;
    QZApplicationInfo::PathDictionary table;
    table.Enroll("qz_rootdir", &text);
    std::printf("%s\n%s\n%s\n%s\n", info.GetApplicationTitle(), info.GetSpecifiedPath("qz_bindir"),
                table.GetPath("qz_rootdir"), qz_version());
    return std::strcmp(info.GetApplicationTitle(), "Ryndel v10.0-003") == 0
                   && std::strcmp(qz_version(), "10.0build60") == 0 && argc == 1
               ? 0
               : 1;
}
