#pragma once

#include <QObject>

#include <memory>
#include <vector>

// One change of the document that can be taken back and made again.
class UndoCommand
{
public:
    virtual ~UndoCommand() = default;
    virtual void undo() = 0;
    virtual void redo() = 0;
};

// The history of the document's changes: the commands done so far, where the
// user stands among them (index: how many are done), and which position
// matches the file on disk (the clean index).
//
// The core links Qt Core only, and Qt's own undo stack lives in Qt GUI; this
// one keeps just what the editing session needs: linear undo and redo, the
// clean state, and signals for the commands that enable the actions.
class UndoStack final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UndoStack)

public:
    explicit UndoStack(QObject* parent = nullptr);
    ~UndoStack() override;

    // Does the command and adds it; the commands that were undone before are
    // gone, and so is a clean state among them.
    void push(std::unique_ptr<UndoCommand> command);
    void undo();
    void redo();

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < count(); }
    int count() const { return int(m_commands.size()); }
    int index() const { return m_index; }

    // The present position matches the file (after a save).
    void setClean();
    // No position matches the file (a restored copy holds edits the file lacks).
    void resetClean();
    int cleanIndex() const { return m_cleanIndex; }
    bool isClean() const { return m_cleanIndex == m_index; }

    // Forgets every command; the empty history is clean.
    void clear();

Q_SIGNALS:
    void canUndoChanged(bool canUndo);
    void canRedoChanged(bool canRedo);
    void cleanChanged(bool clean);
    void indexChanged(int index);

private:
    // Runs `change`, then tells what it changed.
    template <typename Change> void changeState(Change change);

    std::vector<std::unique_ptr<UndoCommand>> m_commands;
    int m_index = 0;
    int m_cleanIndex = 0;
};
