// Started by the single-instance tests: takes the instance name given as the argument. As the
// first instance it prints "first" and waits; when a second start signals, it prints "signalled"
// (followed by the activation token the second start passed, if any) and exits 0. As a second start
// it exits 1 at once, as the program does.
#include <cstdio>

#include <QCoreApplication>

#include "sys/single_instance.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: single_instance_probe INSTANCE-NAME\n");
        return 2;
    }
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    if (instance.Start() == SingleInstance::Role::Second) {
        return 1;
    }
    QObject::connect(&instance, &SingleInstance::SecondStart, &app, [](const QString& token) {
        std::printf("signalled%s%s\n", token.isEmpty() ? "" : " ", qPrintable(token));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    std::printf("first\n");
    std::fflush(stdout);
    return app.exec();
}
