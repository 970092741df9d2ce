#include "machine/linuxhidbackend.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cerrno>
#include <libusb.h>

namespace {

TEST(LinuxBackend, DescriptorBytesBecomeReplyBytes)
{
    std::uint8_t descriptor[255] = {};
    descriptor[0] = 40; // bLength: 38 reply bytes
    descriptor[1] = 3;  // string descriptor
    for (int i = 2; i < 40; ++i)
        descriptor[i] = static_cast<std::uint8_t>(i * 7);
    descriptor[45] = 0xEE; // beyond bLength: not part of the reply
    HidReply reply;
    reply.fill(0x55);
    int length = 0;
    ASSERT_TRUE(descriptorToReply(descriptor, 255, reply, length));
    EXPECT_EQ(length, 38);
    EXPECT_EQ(reply[0], 14);
    EXPECT_EQ(reply[37], static_cast<std::uint8_t>(39 * 7));
    EXPECT_EQ(reply[38], 0) << "zero-filled";
    EXPECT_EQ(reply[43], 0);

    // A full-size descriptor carries 65 reply bytes and no more.
    descriptor[0] = 255;
    ASSERT_TRUE(descriptorToReply(descriptor, 255, reply, length));
    EXPECT_EQ(length, 65);

    // Binary zeros inside the payload survive.
    descriptor[0] = 6;
    descriptor[2] = 0;
    descriptor[3] = 0;
    descriptor[4] = 9;
    ASSERT_TRUE(descriptorToReply(descriptor, 6, reply, length));
    EXPECT_EQ(length, 4);
    EXPECT_EQ(reply[2], 9);

    // A short transfer counts, not the claimed length.
    descriptor[0] = 40;
    ASSERT_TRUE(descriptorToReply(descriptor, 10, reply, length));
    EXPECT_EQ(length, 8);
}

TEST(LinuxBackend, MalformedDescriptorsAreRejected)
{
    HidReply reply{};
    int length = 7;
    const std::uint8_t notString[] = {4, 2, 1, 2};
    EXPECT_FALSE(descriptorToReply(notString, 4, reply, length));
    EXPECT_EQ(length, 0);
    const std::uint8_t tooShort[] = {1, 3};
    EXPECT_FALSE(descriptorToReply(tooShort, 2, reply, length));
    EXPECT_FALSE(descriptorToReply(tooShort, 1, reply, length));
}

TEST(LinuxBackend, ErrorsMapToLinkCodes)
{
    EXPECT_EQ(hidErrorFromErrno(EACCES), HidError::AccessDenied);
    EXPECT_EQ(hidErrorFromErrno(EPIPE), HidError::GeneralFailure);
    EXPECT_EQ(hidErrorFromErrno(ENODEV), HidError::DeviceGone);
    EXPECT_EQ(hidErrorFromErrno(ETIMEDOUT), HidError::Timeout);
    EXPECT_EQ(hidErrorFromErrno(EIO), HidError::IoError);
    EXPECT_EQ(hidErrorFromLibusb(LIBUSB_ERROR_ACCESS), HidError::AccessDenied);
    EXPECT_EQ(hidErrorFromLibusb(LIBUSB_ERROR_PIPE), HidError::GeneralFailure);
    EXPECT_EQ(hidErrorFromLibusb(LIBUSB_ERROR_NO_DEVICE), HidError::DeviceGone);
    EXPECT_EQ(hidErrorFromLibusb(LIBUSB_ERROR_TIMEOUT), HidError::Timeout);
}

TEST(LinuxBackend, EnumeratesWithoutOpeningAnything)
{
    // Whatever the build machine has: the call works and lists devices in
    // a stable order with their nodes.
    LinuxHidBackend backend;
    const auto first = backend.enumerate();
    const auto second = backend.enumerate();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].instanceId, second[i].instanceId);
        EXPECT_TRUE(first[i].path.startsWith("/dev/"));
    }
}

TEST(UdevRule, SyntaxAndContent)
{
    QFile file(QStringLiteral(PRENTAVIK_SOURCE_DIR "/data/udev/70-prentavik-korvanel.rules"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    // key[{attr}] op "value", separated by commas.
    const QRegularExpression token(QString::fromUtf8(R"re(^\s*([A-Z]+)(\{[A-Za-z_]+\})?\s*(==|!=|\+=|=|:=)\s*"([^"]*)"\s*$)re"));
    const QStringList keys = {"SUBSYSTEM", "ATTRS", "ATTR", "ENV", "TAG"};
    QStringList subsystems;
    int rules = 0;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        ++rules;
        bool manufacturer = false, uaccess = false;
        for (const QString &part : line.split(',')) {
            const auto m = token.match(part);
            ASSERT_TRUE(m.hasMatch()) << part.toStdString();
            ASSERT_TRUE(keys.contains(m.captured(1))) << part.toStdString();
            const bool match = m.captured(3) == "==" || m.captured(3) == "!=";
            EXPECT_EQ(match, m.captured(1) != "TAG") << "matches compare, assignments assign: " << part.toStdString();
            if (m.captured(1) == "SUBSYSTEM")
                subsystems << m.captured(4);
            if (m.captured(2) == "{manufacturer}" && m.captured(4) == "Korvanel")
                manufacturer = true;
            if (m.captured(1) == "TAG" && m.captured(3) == "+=" && m.captured(4) == "uaccess")
                uaccess = true;
        }
        EXPECT_TRUE(manufacturer) << line.toStdString();
        EXPECT_TRUE(uaccess) << line.toStdString();
    }
    EXPECT_EQ(rules, 2);
    subsystems.sort();
    EXPECT_EQ(subsystems, (QStringList{"hidraw", "usb"}));
}

} // namespace
