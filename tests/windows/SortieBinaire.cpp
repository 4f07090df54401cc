// Compiled into every test program on Windows: the output is put in binary mode before main
// runs, so that each line ends with LF alone, as the test listing expects (msvcrt would end
// them with CR LF).
#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

const bool sortieBinaire = [] {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return true;
}();

}  // namespace
