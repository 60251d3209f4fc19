// qvhost: runs a script against the module in the stand-in host.
//   qvhost [--module PATH] [--resources PATH] [--host-resources PATH]
//          [--database PATH] [--folder PATH] SCRIPT
// Prints each call and what it answered; exits 0 when the script ran whole
// and every expectation held, 1 otherwise, 2 on a usage error.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

int main(int argc, char** argv) {
  QvHostConfig config;
  config.modulePath = QVHOST_MODULE_PATH;
  config.moduleResourcePath = QVHOST_MODULE_RESOURCES;
  config.hostResourcePath = QVHOST_HOST_RESOURCES;
  std::string script;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--module" && hasValue) {
      config.modulePath = argv[++i];
    } else if (arg == "--resources" && hasValue) {
      config.moduleResourcePath = argv[++i];
    } else if (arg == "--host-resources" && hasValue) {
      config.hostResourcePath = argv[++i];
    } else if (arg == "--database" && hasValue) {
      config.database = argv[++i];
    } else if (arg == "--folder" && hasValue) {
      config.folder = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && script.empty()) {
      script = arg;
    } else {
      std::cerr << "usage: qvhost [--module PATH] [--resources PATH] [--host-resources PATH]\n"
                   "              [--database PATH] [--folder PATH] SCRIPT\n";
      return 2;
    }
  }
  if (script.empty()) {
    std::cerr << "qvhost: no script given\n";
    return 2;
  }
  std::ifstream in(script, std::ios::binary);
  if (!in) {
    std::cerr << "qvhost: cannot read " << script << "\n";
    return 2;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  QvHost host(config);
  std::string error;
  if (!host.Load(&error)) {
    std::cerr << "qvhost: " << error << "\n";
    return 1;
  }
  ScriptRunner runner(host, std::cout);
  const ScriptRunner::Outcome outcome = runner.Run(text);
  if (!outcome.error.empty()) std::cerr << "qvhost: " << script << ": " << outcome.error << "\n";
  std::cout << outcome.lines << " lines, " << outcome.failures << " expectations failed\n";
  return outcome.ok() ? 0 : 1;
}
