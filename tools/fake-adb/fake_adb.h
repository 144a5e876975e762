#pragma once
// The fake adb as a function, so main stays a one-liner. The same executable is the phone's
// stand-in `am`, `echo`, `rm` and `pm` when it is started under those names (the phone's shell
// finds them through symlinks in the state directory's bin folder).
namespace tesk::fakeadb {

int Fake_Adb_Main(int argc, char** argv);

}  // namespace tesk::fakeadb
