#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

namespace orvane::test {

struct CorpusFile {
    QString name;
    QByteArray bytes;
};

// Small files of every layout the reader handles (strips, tiles, BigTIFF, both
// byte orders, compressed, min-is-white, planar), files the acceptance rules
// refuse, and hand-broken headers: the fuzzer's seeds and the corpus the
// snapshot reports are compared over.
QList<CorpusFile> SeedCorpus();

} // namespace orvane::test
