#include "data/DataPackage.h"

#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace zel::qmix::data {

namespace {

const QLatin1String kKeyboardTag("KEYBOARD:");
const QLatin1Char kSeparator(':');

// The descriptor of the current model whose category has `keyWord`; the
// first one in model order.
const CategoryDescriptor* descriptorFor(const KeyboardInfo* model, const QString& keyWord) {
    for (const CategoryDescriptor& descriptor : model->descriptors()) {
        if (descriptor.category && descriptor.category->keyWord() == keyWord)
            return &descriptor;
    }
    return nullptr;
}

// A line break inside a name would end its line early and make the rest of
// the name a line of its own when the list is read back.
bool fitsOnOneLine(const QString& name) {
    return !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r'));
}

} // namespace

DataPackage::DataPackage(QObject* parent)
    : QObject(parent) {}

QString DataPackage::headerLine() {
    return tr("TAVRO MUSIC DATA PACKAGE 2010");
}

int DataPackage::indexOf(const DataCategory* category, int areaNum) const {
    for (int i = 0; i < elements_.size(); ++i) {
        const DataPackageElement& e = elements_.at(i);
        if (e.category == category && e.areaNum == areaNum)
            return i;
    }
    return -1;
}

bool DataPackage::contains(const DataCategory* category, int areaNum) const {
    return indexOf(category, areaNum) >= 0;
}

QList<DataPackageElement> DataPackage::elementsOf(const DataCategory* category) const {
    QList<DataPackageElement> found;
    if (!category)
        return found;
    const QString keyWord = category->keyWord();
    for (const DataPackageElement& e : elements_) {
        if (e.category && e.category->keyWord() == keyWord)
            found.append(e);
    }
    return found;
}

QStringList DataPackage::areaNames(const QList<DataPackageElement>& elements,
                                   const DataCategory* category, const KeyboardInfo* model) {
    const int count = model ? model->areaCount(category) : 0;
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QString());
    for (const DataPackageElement& e : elements) {
        if (e.category != category || e.areaNum < 0 || e.areaNum >= count)
            continue;
        if (names.at(e.areaNum).isEmpty())
            names[e.areaNum] = e.name;
    }
    return names;
}

bool DataPackage::element(const QList<DataPackageElement>& elements, const DataCategory* category,
                          int areaNum, DataPackageElement& out) {
    for (const DataPackageElement& e : elements) {
        if (e.category == category && e.areaNum == areaNum) {
            out = e;
            return true;
        }
    }
    return false;
}

bool DataPackage::save(QString filePath) {
    for (const DataPackageElement& e : elements_) {
        if (!fitsOnOneLine(e.name))
            return false;
    }

    // Written beside the old list and renamed over it when complete, so a
    // failed write does not cost the user the list they had.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << headerLine() << '\n';
    out << kKeyboardTag << KeyboardInfo::currentModel()->modelName().trimmed() << '\n';
    for (const DataPackageElement& e : elements_) {
        if (e.category)
            out << e.category->keyWord() << kSeparator << e.areaNum << kSeparator << e.name;
        out << '\n';
    }
    out.flush();
    // A full disk can cut the last buffered write short without commit() noticing.
    if (out.status() != QTextStream::Ok || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool DataPackage::load(QString filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    if (in.readLine() != headerLine())
        return false;
    const QString keyboardLine = in.readLine();
    const int tag = keyboardLine.indexOf(kKeyboardTag);
    if (tag < 0)
        return false;
    // The model name is whatever follows the tag, untrimmed.
    modelName_ = keyboardLine.mid(tag + kKeyboardTag.size());

    elements_.clear();
    const KeyboardInfo* model = KeyboardInfo::currentModel();
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split(kSeparator, Qt::KeepEmptyParts);
        if (parts.size() != 3 || parts.at(2).isEmpty())
            continue;
        bool isNumber = false;
        const int areaNum = parts.at(1).toInt(&isNumber, 10);
        const CategoryDescriptor* descriptor = descriptorFor(model, parts.at(0));
        if (!isNumber || !descriptor || areaNum < 0 || areaNum >= descriptor->areaCount)
            continue;
        // Lists are taken as they are; duplicates show through areaNames().
        elements_.append(DataPackageElement(descriptor->category, areaNum, parts.at(2)));
    }
    return true;
}

void DataPackage::append(DataPackageElement e) {
    const int index = indexOf(e.category, e.areaNum);
    if (index >= 0)
        elements_[index] = e;
    else
        elements_.append(e);
}

void DataPackage::remove(const DataCategory* category, int areaNum) {
    const int index = indexOf(category, areaNum);
    if (index >= 0)
        elements_.removeAt(index);
}

void DataPackage::clear() {
    elements_.clear();
}

void DataPackage::copyFrom(const DataPackage* other) {
    if (!other || other == this)
        return;
    modelName_ = other->modelName_;
    elements_ = other->elements_;
}

} // namespace zel::qmix::data
