// The fixture of the scripts run through the real module in the stand-in
// host: the host loaded with the module and its resources, a folder for the
// pictures the scripts write, and the transcript of each run.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

class ScriptTest : public testing::Test {
 protected:
  void SetUp() override {
    QvHostConfig config;
    config.modulePath = QVHOST_MODULE_PATH;
    config.moduleResourcePath = QVHOST_MODULE_RESOURCES;
    config.hostResourcePath = QVHOST_HOST_RESOURCES;
    host = std::make_unique<QvHost>(std::move(config));
    std::string error;
    ASSERT_TRUE(host->Load(&error)) << error;
    folder = host->Folder() + "pictures/";
    std::filesystem::create_directories(folder);
  }
  ScriptRunner::Outcome Run(const std::string& script) {
    ScriptRunner runner(*host, out);
    return runner.Run(script);
  }
  // The bytes of a picture the script wrote.
  std::string Png(const std::string& name) const {
    std::ifstream in(folder + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The line that checks a form against the reference picture `name` in
  // the tests' data, or writes the reference when QV_REGENERATE_REFERENCES
  // is 1.
  static std::string CompareLine(const std::string& form, const std::string& name) {
    const std::string reference = std::string(QVHOST_TEST_DATA) + "/" + name;
    const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
    if (regenerate != nullptr && std::string(regenerate) == "1") {
      std::filesystem::create_directories(QVHOST_TEST_DATA);
      return "snapshot " + form + " \"" + reference + "\"\n";
    }
    return "expect png " + form + " \"" + reference + "\"\n";
  }
  // Where `text` first stands in the transcript; npos when absent.
  size_t At(const std::string& text) const { return out.str().find(text); }

  std::unique_ptr<QvHost> host;
  std::ostringstream out;
  std::string folder;
};
