#include "core/session/UndoStack.h"

UndoStack::UndoStack(QObject* parent) : QObject(parent) {}

UndoStack::~UndoStack() = default;

template <typename Change> void UndoStack::changeState(Change change)
{
    const bool couldUndo = canUndo();
    const bool couldRedo = canRedo();
    const bool wasClean = isClean();
    const int oldIndex = m_index;
    change();
    if (couldUndo != canUndo())
        Q_EMIT canUndoChanged(canUndo());
    if (couldRedo != canRedo())
        Q_EMIT canRedoChanged(canRedo());
    if (wasClean != isClean())
        Q_EMIT cleanChanged(isClean());
    if (oldIndex != m_index)
        Q_EMIT indexChanged(m_index);
}

void UndoStack::push(std::unique_ptr<UndoCommand> command)
{
    command->redo();
    changeState([&] {
        m_commands.erase(m_commands.begin() + m_index, m_commands.end());
        // The saved state was among the undone commands: no position reaches it again.
        if (m_cleanIndex > m_index)
            m_cleanIndex = -1;
        m_commands.push_back(std::move(command));
        ++m_index;
    });
}

void UndoStack::undo()
{
    if (!canUndo())
        return;
    m_commands[size_t(m_index - 1)]->undo();
    changeState([&] { --m_index; });
}

void UndoStack::redo()
{
    if (!canRedo())
        return;
    m_commands[size_t(m_index)]->redo();
    changeState([&] { ++m_index; });
}

void UndoStack::setClean()
{
    changeState([&] { m_cleanIndex = m_index; });
}

void UndoStack::resetClean()
{
    changeState([&] { m_cleanIndex = -1; });
}

void UndoStack::clear()
{
    changeState([&] {
        m_commands.clear();
        m_index = 0;
        m_cleanIndex = 0;
    });
}
