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
  // Runs the lines; the run and every expectation in it must hold.
  void RunOk(const std::string& lines) {
    const ScriptRunner::Outcome outcome = Run(lines);
    ASSERT_TRUE(outcome.ok()) << outcome.error << "\n" << out.str();
  }
  // The bytes of a document saved under `name` in the pictures folder, but
  // for the creation and modification stamps of its informations record,
  // which follow the clock, not the content.
  std::string SavedDocument(const std::string& name) const {
    std::ifstream in(folder + name, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    const std::string tag = "FNIw0100";
    const size_t at = bytes.find(tag);
    if (at != std::string::npos && bytes.size() - at >= tag.size() + kInfoStamps)
      bytes.replace(at + tag.size(), kInfoStamps, kInfoStamps, '\0');
    return bytes;
  }
  // The bytes of the two dates and two times after the record's tag.
  static constexpr size_t kInfoStamps = 20;
  // The document the command line `save` (ending with its result, as
  // "command 37 area letter result blob") writes under `name`, read as
  // SavedDocument; the save must hold.
  std::string SaveDocument(const std::string& save, const std::string& name) {
    EXPECT_TRUE(Run(save + " \"" + folder + name + "\"\n").ok()) << out.str();
    const std::string bytes = SavedDocument(name);
    EXPECT_NE(bytes.find("FNIw0100"), std::string::npos) << name;
    return bytes;
  }
  // Two saved documents compared by length and equality, so that a failure
  // prints no document.
  static bool Same(const std::string& a, const std::string& b) { return !a.empty() && a == b; }
  // Where `text` first stands in the transcript; npos when absent.
  size_t At(const std::string& text) const { return out.str().find(text); }

  // The script `name` of the host's scripts folder with its reference
  // pictures ("tests/data/…") found in the tests' data and HOSTFOLDER/
  // standing for the host's folder; with QV_REGENERATE_REFERENCES=1 its
  // comparisons become snapshots that write the references again.
  std::string ScriptWithReferences(const std::string& name) const {
    std::ifstream in(std::string(QVHOST_SCRIPTS_FOLDER) + "/" + name, std::ios::binary);
    std::string script(std::istreambuf_iterator<char>(in), {});
    Replace(script, "\"tests/data/", "\"" + std::string(QVHOST_TEST_DATA) + "/");
    Replace(script, "HOSTFOLDER/", host->Folder());
    const char* regenerate = std::getenv("QV_REGENERATE_REFERENCES");
    if (regenerate != nullptr && std::string(regenerate) == "1") Replace(script, "expect png ", "snapshot ");
    return script;
  }
  // Runs a script in `where` (the files it writes go there): every line
  // held, no expectation failed (each failed one a line of the message).
  void RunScriptIn(const std::string& script, const std::string& where) {
    ASSERT_FALSE(script.empty());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(where);
    const ScriptRunner::Outcome outcome = Run(script);
    std::filesystem::current_path(previous);
    std::string failed;
    const std::string transcript = out.str();
    for (size_t at = transcript.find("FAILED"); at != std::string::npos; at = transcript.find("FAILED", at + 1))
      failed += transcript.substr(at, transcript.find('\n', at) - at) + "\n";
    EXPECT_TRUE(outcome.ok()) << outcome.error << "\n" << failed;
    EXPECT_EQ(outcome.failures, 0) << transcript;
  }
  static void Replace(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
  }

  std::unique_ptr<QvHost> host;
  std::ostringstream out;
  std::string folder;
};
