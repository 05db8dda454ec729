#pragma once
// The serial link: one serial port at a time. The caller sets the port name
// and the line settings, opens the port, sends a text, receives one
// CR-terminated reply line within the time limit and closes the port.
//
// No operation reports a failure: a port that cannot be opened, refuses its
// settings or goes away shows only as a missing reply, after the time limit.

#include <cstdint>

#include "main/counted_text.h"

// Device name of the port to open: "comN" or "comN:" in any case, or a path
// (how a name becomes a device is the platform's matter). Initially "Com1:".
extern CountedText PortName;

// Line settings in the form "baud=9600 parity=n data=8 stop=1 ", followed by
// the text's own NUL byte, which counts in its length. Settings it does not
// name stay as the port has them; a text that cannot be read changes none.
// Initially "baud=1200 parity=e data=7 stop=1" and its NUL (33 bytes).
extern CountedText PortSettings;

// Time limit in milliseconds of a reply line, of each write and of the wait
// for a port that another process holds. Initially 1000.
extern std::uint16_t TimeoutMs;

// Opens the port named by `PortName` for this process alone and configures
// it from `PortSettings`, waiting up to `TimeoutMs` while another process
// holds it. Bytes received before are discarded.
void OpenPort();

// Sends the bytes of `text` unchanged (the caller includes any CR).
void SendText(const CountedText& text);

// The number of received bytes waiting to be read (its low 16 bits).
std::uint16_t BytesWaiting();

// Receives bytes one at a time until a CR or until `TimeoutMs` has passed,
// keeping at most 255 of them. `line` becomes the bytes before the CR, or the
// empty text when no CR came in time (even when other bytes came). Bytes
// after the CR stay unread. Waiting for bytes lets the time pass without
// using the processor.
void ReceiveLine(CountedText& line);

// Closes the port; received bytes that were not read are discarded. Returns
// whether the close succeeded.
bool ClosePort();

// For tests: the millisecond clock that `ReceiveLine` measures its time limit
// with; nullptr restores the system's tick clock.
using TickSource = std::uint32_t (*)();
void SetReceiveLineClock(TickSource clock);
