#pragma once

// What every program of Lucenta does first and last with its standard streams.

// Gives every closed standard descriptor (input, output, error) a harmless stand-in
// before anything else opens a file: a connection or file that took number 2 would
// otherwise receive the program's warnings. A write beyond a file size limit then
// fails with an error that the program reports, rather than ending it. Each
// platform provides it.
void PrepareStandardStreams();

// Flushes standard output. When that fails, or a write to it failed before (a full
// disk, a closed pipe), one line on stderr says so and the status is 1; else `status`.
int FinishStandardOutput(const char* program, int status);
