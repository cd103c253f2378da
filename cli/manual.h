// talvorectl's help: the short one of --help and the manual page, written from the same texts
// (the commands' own usage and summary lines, and the paragraphs here).
#pragma once

#include <cstdio>

#include <QString>

void PrintHelp(std::FILE* stream);
void PrintVersion(std::FILE* stream);
// talvorectl(1) in roff.
QString ManualPage();
