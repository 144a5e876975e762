#include "sms-cli/cli_startup.h"

#include "appcore/app_delegate.h"
#include "appstate/data_paths.h"
#include "modem/mfcsms.h"
#include "sms-cli/cli_terminal.h"

namespace tesk::cli {

bool Start_Data_Store() {
    Resource_Path = Resource_Directory();
    if (!Make_Private_Directory(Resource_Path)) {
        Print_Error_Text(kDataAccessFailure);
        return false;
    }
    Set_Data_Paths(Resource_Path);
    Check_Path_And_Create_Files();
    Fill_Channel_Table();
    return true;
}

void Close_Channels() {
    close_all_ports();
}

}  // namespace tesk::cli
