#pragma once
// Opening and closing the station's COM ports into handle slots, at the bauds of the line
// settings' table (BaudRateTable, MeterComm.h).

#include "platform/ComPort.h"

// Opens COM(portIndex + 1) into the slot with the baud of `baudIndex`. A slot that holds a handle
// is closed first. True when the port is open and set up; on failure the slot holds -1.
// A port or baud index outside the tables fails the open.
bool OpenComPort(ComHandle& slot, int portIndex, int baudIndex);
// Closes the slot's port and leaves -1; a slot of 0 is left alone.
void CloseComPort(ComHandle& slot);
