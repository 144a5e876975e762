#pragma once
// What the application sets up at start before any device is touched: the resource and data
// directories with their store files, and the table of modem channels the sending run uses.
namespace tesk::cli {

// False (the system's message printed) when the data directory cannot be made.
bool Start_Data_Store();
// Closes every modem channel (the application does the same when it terminates), after any
// sending run still reading one has been stopped and its threads have ended.
void Close_Channels();

}  // namespace tesk::cli
