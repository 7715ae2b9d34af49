#include "engine/Format.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

// The main of the GUI tests: a real QApplication, offscreen unless told otherwise.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
