#include "cli/program_instance.h"

#include "sys/instance_channel.h"

QString ProgramInstanceName() {
#ifdef TALVORECTL_OF_THE_DEMO
    return QString::fromLatin1(kDemoInstanceName);
#else
    return QString::fromLatin1(kInstanceName);
#endif
}
