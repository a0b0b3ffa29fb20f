// The fake headset card's values, for the tests that drive it through alsa-lib.
#pragma once

extern "C" {
// The value of one channel of a control ("Mic Capture Volume", ...); -1000 when there is none.
long qx580_fake_ctl_value(const char* control, unsigned channel);
// Every control back to its driver's value; the card present.
void qx580_fake_ctl_reset();
// The card unplugged (opens and value reads fail) or plugged back with its driver's values.
void qx580_fake_ctl_set_present(int present);
// How many times the card was opened.
int qx580_fake_ctl_opens();
}
