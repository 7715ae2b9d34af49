#include "engine/Format.h"

#include <QGuiApplication>
#include <QLocale>

#include <gtest/gtest.h>

// Tests that draw text (printed reports) need a GUI application; they show
// no window and run on the offscreen platform.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
