// zentu-demo: the program runs the entry, which lives in zentu_app so that tests can call it.
#include "app/demo_entry.h"

int main(int argc, char** argv) {
  return zentu::runDemoProgram(argc, argv);
}
