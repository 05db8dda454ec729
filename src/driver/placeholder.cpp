// Replaced when the module lands.
