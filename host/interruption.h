#pragma once

// What an interrupted command leaves behind: nothing. SIGINT, SIGTERM and
// SIGHUP remove the staging files of the outputs in progress and end the
// program with status 128 + the signal's number. A signal that the program
// was started with ignored (as nohup starts it) stays ignored.

#include <string>

void InstallInterruptionHandlers();

// Makes a staging file's path known to the handlers for the object's life.
// The path is copied into storage set aside at start, since a handler may not
// allocate; a path that does not fit (longer than 4095 bytes, or a fifth at
// once) throws CommandError before the file is made.
class registered_staging_path {
public:
    explicit registered_staging_path(const std::string& path);
    ~registered_staging_path();
    registered_staging_path(const registered_staging_path&) = delete;
    registered_staging_path& operator=(const registered_staging_path&) = delete;

private:
    int slot_;
};

// Holds interruptions back for the object's life, while a file is written in
// place and must not stop half-way; one that arrives meanwhile takes effect
// when the object goes.
class deferred_interruption {
public:
    deferred_interruption() noexcept;
    ~deferred_interruption();
    deferred_interruption(const deferred_interruption&) = delete;
    deferred_interruption& operator=(const deferred_interruption&) = delete;
};

// The seam that makes interruption testable without timing: when the
// environment holds XMLXSL_TEST_HOLD, prints "xmlxsl: holding PATH" on the
// standard error once the staging file PATH is written, then waits for a line
// (or the end) of the standard input before the file is moved into place.
void HoldForTesting(const std::string& stagingPath);
