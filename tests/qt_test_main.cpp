// The main of the test binaries that need Qt widgets: an offscreen application, and user folders
// of its own so that no test touches the real home folder.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home;
    if (std::getenv("QX580_KEEP_HOME") == nullptr && home.isValid()) {
        ::setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
        ::setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
        ::setenv("XDG_RUNTIME_DIR", (home.path() + "/runtime").toLocal8Bit().constData(), 1);
        QDir().mkpath(home.path() + "/runtime");
        // Qt wants the runtime folder private, as the session makes it.
        QFile::setPermissions(home.path() + "/runtime",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
