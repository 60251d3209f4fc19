// The qvhost program: its command line, the script it runs and the code it
// exits with, apart from main so that the tests run it as a user does.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "qvhost/QvHost.h"

// Runs the program with `arguments` (without the program's name) on the
// paths of `defaults`: the transcript goes to `out`, what went wrong to
// `err`. Answers the exit code: 0 when the script ran whole and every
// expectation held, 1 when not, 2 on a usage error.
int RunQvHostProgram(QvHostConfig defaults, const std::vector<std::string>& arguments, std::ostream& out,
                     std::ostream& err);
