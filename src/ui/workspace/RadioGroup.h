#pragma once

#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;

// A framed column of radio buttons with an item index that may also be -1
// (nothing selected), as the volume and medium choices need.
class RadioGroup final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RadioGroup)

public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const;
    // -1 clears the selection.
    void setItemIndex(int index);
    QString itemText(int index) const;
    int count() const { return int(m_buttons.size()); }
    QRadioButton* button(int index) const { return m_buttons.value(index); }

Q_SIGNALS:
    // The selection changed, by the user or by the program.
    void itemIndexChanged(int index);
    // The user clicked an item.
    void itemClicked(int index);

private:
    QButtonGroup* m_group = nullptr;
    QList<QRadioButton*> m_buttons;
};
