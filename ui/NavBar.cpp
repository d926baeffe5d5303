#include "NavBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Group headers: white bold text on the house blue.
const QString kHeaderSheet = QStringLiteral(
    "QToolButton { color: #FFFFFF; font-weight: bold; text-align: left;"
    "  background: rgb(58, 94, 164); border: none; border-bottom: 1px solid rgb(36, 62, 116);"
    "  padding: 2px 4px; }"
    "QToolButton:hover { background: rgb(72, 110, 182); }"
    "QToolButton:focus { border: 1px dotted #FFFFFF; }");

const QString kItemSheet = QStringLiteral(
    "QToolButton { color: #1E3C72; background: transparent; border: 1px solid transparent;"
    "  padding: 2px 6px; }"
    "QToolButton:hover { color: #000000; background: #FFF3C8; border-color: #E5C365; }"
    "QToolButton:pressed { background: #FFD98A; }"
    "QToolButton:focus { border: 1px dotted #3A5EA4; }");

} // namespace

TNavBar::TNavBar(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Cloud release commands"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(1, 1, 1, 1);
    m_layout->setSpacing(0);
    m_layout->addStretch(1);
}

QToolButton* TNavBar::AddGroup(const QString& name, const QString& caption) {
    GroupData group;
    group.name = name;
    group.header = new QToolButton(this);
    group.header->setObjectName(name);
    group.header->setText(caption);
    group.header->setAccessibleName(caption);
    group.header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    group.header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    group.header->setFixedHeight(36);
    group.header->setIconSize(QSize(32, 32));
    group.header->setCheckable(true);
    group.header->setStyleSheet(kHeaderSheet);
    group.header->setCursor(Qt::PointingHandCursor);

    group.items = new QWidget(this);
    group.items->setObjectName(name + QStringLiteral("Items"));
    group.itemLayout = new QVBoxLayout(group.items);
    group.itemLayout->setContentsMargins(6, 6, 6, 6);
    group.itemLayout->setSpacing(2);

    // Before the stretch that keeps the groups at the top.
    const int at = m_layout->count() - 1;
    m_layout->insertWidget(at, group.header);
    m_layout->insertWidget(at + 1, group.items);

    connect(group.header, &QToolButton::clicked, this, [this, name] { SetActiveGroup(name); });
    m_groups.append(group);
    if (m_active.isEmpty())
        SetActiveGroup(name);
    else
        SetActiveGroup(m_active);
    return group.header;
}

QToolButton* TNavBar::AddItem(const QString& groupName, const QString& name,
                              const QString& caption) {
    GroupData* group = findGroup(groupName);
    if (!group)
        return nullptr;
    auto* item = new QToolButton(group->items);
    item->setObjectName(name);
    item->setText(caption);
    item->setAccessibleName(caption);
    item->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    item->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    item->setFixedHeight(24);
    item->setIconSize(QSize(16, 16));
    item->setAutoRaise(true);
    item->setStyleSheet(kItemSheet);
    item->setCursor(Qt::PointingHandCursor);
    group->itemLayout->addWidget(item);
    return item;
}

QToolButton* TNavBar::Group(const QString& name) const {
    for (const GroupData& group : m_groups)
        if (group.name == name)
            return group.header;
    return nullptr;
}

QToolButton* TNavBar::Item(const QString& name) const {
    return findChild<QToolButton*>(name);
}

void TNavBar::SetGroupPicture(const QString& groupName, const QPixmap& picture) {
    if (QToolButton* header = Group(groupName))
        header->setIcon(QIcon(picture));
}

void TNavBar::SetItemIcon(const QString& itemName, const QPixmap& icon) {
    if (QToolButton* item = Item(itemName))
        item->setIcon(QIcon(icon));
}

void TNavBar::SetActiveGroup(const QString& groupName) {
    if (!findGroup(groupName))
        return;
    m_active = groupName;
    for (GroupData& group : m_groups) {
        const bool open = group.name == groupName;
        group.header->setChecked(open);
        group.items->setVisible(open);
    }
}

TNavBar::GroupData* TNavBar::findGroup(const QString& name) {
    for (GroupData& group : m_groups)
        if (group.name == name)
            return &group;
    return nullptr;
}

void TNavBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(244, 247, 252));
    painter.setPen(QColor(141, 166, 206));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
