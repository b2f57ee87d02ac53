#include "widgets/form_props.h"

#include <QMetaProperty>
#include <QWidget>
#include <array>
#include <initializer_list>

#include "persist/big_ini_file.h"

namespace kestrave {

namespace {

// The program's property names that plain Qt controls spell their own way, each with the Qt
// properties that stand for it, tried in order.
struct Equivalent {
    const char* programName;
    std::initializer_list<const char*> qtNames;
};
const std::array<Equivalent, 5> Equivalents{{
    {"ItemIndex", {"currentIndex", "currentRow"}},   // combo and list boxes, tab and page controls
    {"Text", {"currentText", "text", "plainText"}},  // combo boxes, edits, memos
    {"Caption", {"text", "title", "windowTitle"}},   // labels and buttons, group boxes, windows
    {"Checked", {"checked"}},                        // check boxes and radio buttons
    {"Value", {"value"}},                            // spin boxes, sliders, scroll bars
}};

// The four names that act on a widget's geometry.
constexpr std::array<const char*, 4> GeometryNames{"Left", "Top", "Width", "Height"};

bool sameName(QStringView a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

bool usable(const QMetaProperty& property) {
    return property.isValid() && property.isReadable() && property.isWritable();
}

StoredValueType typeOf(const QMetaProperty& property) {
    if (property.isEnumType() || property.isFlagType())
        return storedValueType(property.metaType(), property.enumerator());
    return storedValueType(property.metaType());
}

bool holdsLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

}  // namespace

std::optional<StoredProperty> StoredProperty::find(QObject& object, QStringView name) {
    StoredProperty result;
    result.object_ = &object;

    const QMetaObject* meta = object.metaObject();
    if (object.isWidgetType()) {
        for (std::size_t i = 0; i < GeometryNames.size(); ++i) {
            if (!sameName(name, GeometryNames[i])) continue;
            // A widget that declares the property keeps its own value (a window the program
            // places keeps where the user put it); others store their geometry.
            if (const int own = meta->indexOfProperty(GeometryNames[i]);
                own >= 0 && usable(meta->property(own))) {
                result.name_ = QLatin1String(GeometryNames[i]);
                result.propertyIndex_ = own;
                result.type_ = typeOf(meta->property(own));
                return result;
            }
            result.name_ = QLatin1String(GeometryNames[i]);
            result.geometry_ = static_cast<Geometry>(i + 1);
            result.type_ = storedValueType(QMetaType::fromType<int>());
            return result;
        }
    }

    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (!usable(property) || !sameName(name, property.name())) continue;
        result.name_ = QLatin1String(property.name());
        result.propertyIndex_ = i;
        result.type_ = typeOf(property);
        return result;
    }

    for (const Equivalent& equivalent : Equivalents) {
        if (!sameName(name, equivalent.programName)) continue;
        for (const char* qtName : equivalent.qtNames) {
            const int index = meta->indexOfProperty(qtName);
            if (index < 0 || !usable(meta->property(index))) continue;
            result.name_ = QLatin1String(equivalent.programName);
            result.propertyIndex_ = index;
            result.type_ = typeOf(meta->property(index));
            return result;
        }
    }
    return std::nullopt;
}

QVariant StoredProperty::read() const {
    if (geometry_ == Geometry::None) return object_->metaObject()->property(propertyIndex_).read(object_);
    const auto* widget = static_cast<const QWidget*>(object_);
    switch (geometry_) {
        case Geometry::Left:
            return widget->x();
        case Geometry::Top:
            return widget->y();
        case Geometry::Width:
            return widget->width();
        case Geometry::Height:
        case Geometry::None:
            break;
    }
    return widget->height();
}

bool StoredProperty::write(const QVariant& value) const {
    if (geometry_ == Geometry::None)
        return object_->metaObject()->property(propertyIndex_).write(object_, value);
    auto* widget = static_cast<QWidget*>(object_);
    const int v = value.toInt();
    switch (geometry_) {
        case Geometry::Left:
            widget->move(v, widget->y());
            break;
        case Geometry::Top:
            widget->move(widget->x(), v);
            break;
        case Geometry::Width:
            widget->resize(v, widget->height());
            break;
        case Geometry::Height:
            widget->resize(widget->width(), v);
            break;
        case Geometry::None:
            break;
    }
    return true;
}

void TPropsStorage::StoreProperty(QObject& object, QStringView propName) {
    const std::optional<StoredProperty> property = StoredProperty::find(object, propName);
    if (!property) return;
    const QString key = GetItemName(property->name());
    const StoredValueType& type = property->type();

    const QString text = valueToText(property->read(), type).trimmed();
    // A text over several lines cannot be one key's value; the key keeps what it holds.
    if ((text.isEmpty() && !type.writesEmptyText()) || holdsLineBreak(text)) return;
    ini_.WriteString(section_, key.toStdString(), text.toStdString());
}

void TPropsStorage::LoadProperty(QObject& object, QStringView propName) {
    const std::optional<StoredProperty> property = StoredProperty::find(object, propName);
    if (!property) return;
    const QString key = GetItemName(property->name());
    const StoredValueType& type = property->type();

    const QString current = valueToText(property->read(), type);
    if (current.isEmpty() && !type.writesEmptyText()) return;
    const QString text =
        QString::fromStdString(ini_.ReadString(section_, key.toStdString(), current.toStdString())).trimmed();
    if (text == current) return;
    if (const std::optional<QVariant> value = valueFromText(text, type)) property->write(*value);
}

}  // namespace kestrave
