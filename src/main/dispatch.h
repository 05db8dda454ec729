#pragma once
// Command dispatch: the one command a run performs.

// Puts the run's settings in force before anything reads the command line.
void StartUp();

// Reads the command name and the numeric arguments and performs the command
// whose name matches, writing its one result line.
void DispatchCommand();
