// The qvhost program's command line and exit code.
#include "qvhost/QvHostProgram.h"

#include <fstream>
#include <iterator>

#include "qvhost/ScriptRunner.h"

int RunQvHostProgram(QvHostConfig config, const std::vector<std::string>& arguments, std::ostream& out,
                     std::ostream& err) {
  std::string script;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (arg == "--module" && hasValue) {
      config.modulePath = arguments[++i];
    } else if (arg == "--resources" && hasValue) {
      config.moduleResourcePath = arguments[++i];
    } else if (arg == "--host-resources" && hasValue) {
      config.hostResourcePath = arguments[++i];
    } else if (arg == "--database" && hasValue) {
      config.database = arguments[++i];
    } else if (arg == "--folder" && hasValue) {
      config.folder = arguments[++i];
    } else if (!arg.empty() && arg[0] != '-' && script.empty()) {
      script = arg;
    } else {
      err << "usage: qvhost [--module PATH] [--resources PATH] [--host-resources PATH]\n"
             "              [--database PATH] [--folder PATH] SCRIPT\n";
      return 2;
    }
  }
  if (script.empty()) {
    err << "qvhost: no script given\n";
    return 2;
  }
  std::ifstream in(script, std::ios::binary);
  if (!in) {
    err << "qvhost: cannot read " << script << "\n";
    return 2;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  QvHost host(config);
  std::string error;
  if (!host.Load(&error)) {
    err << "qvhost: " << error << "\n";
    return 1;
  }
  ScriptRunner runner(host, out);
  const ScriptRunner::Outcome outcome = runner.Run(text);
  if (!outcome.error.empty()) err << "qvhost: " << script << ": " << outcome.error << "\n";
  out << outcome.lines << " lines, " << outcome.failures << " expectations failed\n";
  return outcome.ok() ? 0 : 1;
}
