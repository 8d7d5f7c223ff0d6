// Shared by the tests that look up this machine's name.
#ifndef HOST_TEST_UTIL_H
#define HOST_TEST_UTIL_H

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace ht {

// Looking up this machine's name must not leave the machine: the tests that
// do it run only when /etc/hosts answers for the name.
inline bool host_name_in_hosts_file() {
  char name[256] = {0};
  if (gethostname(name, sizeof name - 1) != 0) return false;
  std::ifstream hosts("/etc/hosts");
  std::string line;
  while (std::getline(hosts, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string word;
    words >> word;  // the address
    while (words >> word)
      if (word == name) return true;
  }
  return false;
}

}  // namespace ht

#endif
