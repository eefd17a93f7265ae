#pragma once
// A temporary folder listed by the real file list model, the program's one
// RomImage, settings, and the scripted UI: what every handler test drives.

#include <gtest/gtest.h>

#include <memory>

#include "browser/CommandUi.h"
#include "engine/SampleFiles.h"
#include "support/ScriptedCommandUi.h"
#include "support/TempDir.h"

namespace q64::test {

class CommandBench : public ::testing::Test {
protected:
    CommandBench() { settings.DefaultDir = dir.Path(); }

    // Writes the files, lists the folder and selects `name`.
    void List(const std::string& name = {}) {
        view = std::make_unique<ModelCommandView>(image, settings, dir.Path());
        if (!name.empty()) {
            ASSERT_TRUE(view->Select(name)) << name;
        }
    }
    CommandEnv Env() { return CommandEnv{image, settings, *view, ui}; }

    static samples::ImageRecipe Recipe(std::size_t bytes = 1048576 + 4096) {
        samples::ImageRecipe r;
        r.sizeBytes = bytes;
        return r;
    }

    TempDir dir;
    RomImage image;
    Settings settings;
    ScriptedCommandUi ui;
    std::unique_ptr<ModelCommandView> view;
};

} // namespace q64::test
