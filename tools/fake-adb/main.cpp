// tesk-fake-adb: an adb for tests; see fake_adb_state.h for the state directory it serves.
#include "fake-adb/fake_adb.h"

int main(int argc, char** argv) {
    return tesk::fakeadb::Fake_Adb_Main(argc, argv);
}
