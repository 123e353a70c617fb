// Window tests run with a QApplication on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

#include "shell/QtTranslations.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(lorvane);
    // As the program starts: Qt's own texts in Chinese.
    lorvane::shell::installChineseTranslations(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
