#include "core/session/DatabaseReadJob.h"

#include "core/record/NorlaError.h"

#include <new>

void DatabaseReadJob::run(const JobControl& control)
{
    m_contents.reset();
    m_error.clear();
    try {
        m_contents = DatabaseDocument::read(m_path, control);
    } catch (const OperationCancelled&) {
    } catch (const NorlaError& error) {
        m_error = error.message();
    } catch (const std::bad_alloc&) {
        // A file larger than the memory can hold must not end the program.
        m_error = QStringLiteral("Nincs elég memória a fájl beolvasásához: %1").arg(m_path);
    }
}

DatabaseDocument::Contents DatabaseReadJob::takeContents()
{
    DatabaseDocument::Contents contents = m_contents ? std::move(*m_contents) : DatabaseDocument::Contents();
    m_contents.reset();
    return contents;
}
