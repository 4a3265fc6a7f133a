// A fresh application and a headless backend for every test of the controls.
#pragma once
#include <gtest/gtest.h>

#include "framework/forms.h"
#include "framework/startup.h"
#include "framework/ui/headless.h"

class UiTest : public testing::Test {
protected:
    void SetUp() override {
        InitApplication();
        Application->Reset();
        Application->SetExeName("C:\\TEST\\SETUP.EXE");
        ui_ = &ui::UseHeadlessBackend();
        if (Screen) Screen->SetCursor(crDefault);
    }
    void TearDown() override {
        Application->Reset();
        ui::SetBackend(nullptr);
    }
    ui::THeadlessBackend& Ui() { return *ui_; }

private:
    ui::THeadlessBackend* ui_ = nullptr;
};
