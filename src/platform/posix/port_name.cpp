// Replaced when the serial link lands.
