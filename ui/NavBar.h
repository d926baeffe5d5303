#pragma once
// The side bar of the cloud page: groups with a coloured header, each holding a few command
// items. One group is open at a time; clicking another group's header opens that one.
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

class QToolButton;
class QVBoxLayout;

class TNavBar final : public QWidget {
    Q_OBJECT
  public:
    explicit TNavBar(QWidget* parent = nullptr);

    // The header button of a new group, named `name` (e.g. "dxOptions").
    QToolButton* AddGroup(const QString& name, const QString& caption);
    // A command item of a group, named `name` (e.g. "dxDelete"); its clicked() is the command.
    QToolButton* AddItem(const QString& groupName, const QString& name, const QString& caption);

    QToolButton* Group(const QString& name) const;
    QToolButton* Item(const QString& name) const;

    void SetGroupPicture(const QString& groupName, const QPixmap& picture);
    void SetItemIcon(const QString& itemName, const QPixmap& icon);

    void SetActiveGroup(const QString& groupName);
    QString ActiveGroup() const { return m_active; }

  protected:
    void paintEvent(class QPaintEvent* event) override;

  private:
    struct GroupData {
        QString name;
        QToolButton* header = nullptr;
        QWidget* items = nullptr;
        QVBoxLayout* itemLayout = nullptr;
    };
    GroupData* findGroup(const QString& name);

    QVBoxLayout* m_layout = nullptr;
    QList<GroupData> m_groups;
    QString m_active;
};
