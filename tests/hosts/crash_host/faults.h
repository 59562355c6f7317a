#pragma once
// The faults the host can commit, each in a function of its own.

// Marker values in the registers at the faulting instruction of WriteToLowAddress.
constexpr unsigned long kMarkerEbx = 0x11111111, kMarkerEsi = 0x22222222, kMarkerEdi = 0x33333333,
                        kMarkerEcx = 0x44444444, kMarkerEdx = 0x55555555;
constexpr unsigned long kLowAddress = 0x10;

void WriteToLowAddress();           // access violation writing 0x10, eax = 0x10
void JumpTo(unsigned long address);  // access violation executing at the address
void DivideByZero();
void IllegalInstruction();
void OverflowStack();
// Raises the exception under a frame handler of the host's own, which dismisses it.
void RaiseHandled(unsigned long code);
// Writes to the debugger output with one frame handler of the host's registered.
void DebugOutputUnderOwnHandler(const wchar_t* text);
