// registry_writer PREFIX COUNT: writes PREFIX_0 .. PREFIX_<COUNT-1> under one key, one
// operation each, as fast as it can. Exit code 1 when any write did not reach the store.
#include "platform/RegistryStore.h"

#include <QString>
#include <cstdlib>

int main(int argc, char **argv) {
    if (argc != 3)
        return 2;
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    const int count = std::atoi(argv[2]);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const auto r = platform::RegistryStore::Write(platform::RegistryRoot::CurrentUser,
                                                      QStringLiteral("\\SoftWare\\Tamsorel\\Orvanta\\V"),
                                                      prefix + QLatin1Char('_') + QString::number(i),
                                                      QString::number(i * 7));
        if (r != platform::RegistryWriteResult::Written)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
