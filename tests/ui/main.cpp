// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include <gtest/gtest.h>

// Widget tests need one QApplication for the whole run.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kalvo");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
