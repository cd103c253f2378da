// The single-instance name of the program this talvorectl belongs to: the demo folder's talvorectl
// talks to the demo. The build compiles program_instance.cpp into each talvorectl on its own.
#pragma once

#include <QString>

QString ProgramInstanceName();
