#include "station/comm/SetValueRequest.h"

TSetValueRequest SetValueRequest;
