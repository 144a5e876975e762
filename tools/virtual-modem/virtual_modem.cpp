#include "virtual-modem/virtual_modem.h"
