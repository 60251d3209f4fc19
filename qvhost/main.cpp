// qvhost: runs a script against the module in the stand-in host.
//   qvhost [--module PATH] [--resources PATH] [--host-resources PATH]
//          [--database PATH] [--folder PATH] SCRIPT
// Prints each call and what it answered; exits 0 when the script ran whole
// and every expectation held, 1 otherwise, 2 on a usage error.
#include <iostream>
#include <string>
#include <vector>

#include "qvhost/QvHostProgram.h"

int main(int argc, char** argv) {
  QvHostConfig config;
  config.modulePath = QVHOST_MODULE_PATH;
  config.moduleResourcePath = QVHOST_MODULE_RESOURCES;
  config.hostResourcePath = QVHOST_HOST_RESOURCES;
  return RunQvHostProgram(std::move(config), std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
