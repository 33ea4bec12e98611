// Replies that are not frames (the firmware text, the data block) are awaited by polling the
// input queue, without processing events, so that the receive notification cannot take them.
#pragma once

// Polls until at least count bytes are waiting or more than limit seconds have passed, with
// the shared tstart and tdiff; returns the bytes waiting when it stopped and sets timedOut.
int WaitForWaitingBytes(int count, double limit, bool& timedOut);

// Reads the n waiting bytes into szReadBuf, as many as it holds, and discards the rest;
// returns the count read.
int ReadWaitingBytes(int n);
