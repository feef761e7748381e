#pragma once
// One QGuiApplication for a whole test program: fonts and images need it.
#include <QGuiApplication>

#include <gtest/gtest.h>

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        app_ = new QGuiApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

private:
    QGuiApplication* app_ = nullptr;
};
