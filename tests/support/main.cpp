#include "engine/Format.h"

#include <QCoreApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    engine::setProgramLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
