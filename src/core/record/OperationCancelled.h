#pragma once

#include <exception>

// Thrown out of a long job (an index run, a search, a conversion, a load)
// when the user asked to stop it. It is not an error: whoever started the job
// catches it, shows nothing, and finds everything as it was before the job.
class OperationCancelled : public std::exception
{
public:
    const char* what() const noexcept override { return "cancelled"; }
};
