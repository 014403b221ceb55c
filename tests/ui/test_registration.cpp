// SPDX-License-Identifier: GPL-3.0-or-later
// How the program starts: the switches, the activation file, activation by a client's call and the
// end after its last client, one clock per session, and a clock without a session bus. The real
// program runs here as a user or the bus runs it.
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFile>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "ClockScript.h"
#include "Registration.h"
#include "clock_fixture.h"
#include "support/private_bus.h"

namespace {

const QString kProgram = QStringLiteral(HELIODIAL_EXE);
const QString kBusName = QStringLiteral("Heliodial.ClockScript");

std::string Contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Sets an environment variable for one test and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (saved_) {
      ::setenv(name_, saved_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

struct SwitchRow {
  std::vector<std::string_view> arguments;
  StartAction expected;
};

TEST(StartSwitches, CaseInsensitiveWithSlashOrDashAndOnlyOurs) {
  const SwitchRow rows[] = {
      {{}, StartAction::Run},
      {{"-Automation"}, StartAction::RunForClient},
      {{"/EMBEDDING"}, StartAction::RunForClient},
      {{"-embedding"}, StartAction::RunForClient},
      {{"-RegServer"}, StartAction::Register},
      {{"/regserver"}, StartAction::Register},
      {{"-REGSERVER"}, StartAction::Register},
      {{"/UnRegServer"}, StartAction::Unregister},
      {{"-unregserver"}, StartAction::Unregister},
      // Removing wins over writing, either way round; both over a start for a client.
      {{"-RegServer", "-UnregServer"}, StartAction::Unregister},
      {{"-UnregServer", "-RegServer"}, StartAction::Unregister},
      {{"-Automation", "-RegServer"}, StartAction::Register},
      // Not switches of ours.
      {{"--RegServer"}, StartAction::Run},
      {{"RegServer"}, StartAction::Run},
      {{"-RegServerX"}, StartAction::Run},
      {{"\\RegServer"}, StartAction::Run},
      {{"-platform", "offscreen"}, StartAction::Run},
      {{"-"}, StartAction::Run},
      {{""}, StartAction::Run},
  };
  for (const SwitchRow& row : rows) {
    std::string shown;
    for (const std::string_view a : row.arguments) shown += std::string(a) + ' ';
    EXPECT_EQ(ParseStartSwitches(row.arguments), row.expected) << "[" << shown << "]";
  }
}

TEST(ActivationFile, ExecQuotesWhatTheBusWouldSplit) {
  const struct {
    const char* path;
    const char* exec;
  } rows[] = {
      {"/usr/bin/heliodial", "/usr/bin/heliodial"},
      {"/opt/my clocks/heliodial", "'/opt/my clocks/heliodial'"},
      // Shell quoting, then the file's escapes: the backslash is written doubled.
      {"/opt/it's/heliodial", "'/opt/it'\\\\''s/heliodial'"},
      {"/opt/a\"b/$HOME/heliodial", "'/opt/a\"b/$HOME/heliodial'"},
      {"/opt/a\\b/heliodial", "'/opt/a\\\\b/heliodial'"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ActivationFileText(row.path),
              std::string("[D-BUS Service]\nName=Heliodial.ClockScript"
                          "\nExec=") +
                  row.exec + " -Automation\n")
        << row.path;
  }
  EXPECT_THROW(ActivationFileText("/opt/two\nlines/heliodial"), RegistrationError);
  EXPECT_THROW(ActivationFileText(""), RegistrationError);

  // The session's autostart entry quotes as desktop entries do: double quotes, then the file's
  // own backslash escapes, and a field code's % doubled.
  const struct {
    const char* path;
    const char* exec;
  } entries[] = {
      {"/usr/bin/heliodial", "/usr/bin/heliodial"},
      {"/opt/my clocks/heliodial", "\"/opt/my clocks/heliodial\""},
      {"/opt/a\"b/$HOME/heliodial", "\"/opt/a\\\\\"b/\\\\$HOME/heliodial\""},
      {"/opt/100%/heliodial", "/opt/100%%/heliodial"},
  };
  for (const auto& row : entries) {
    const std::string text = AutostartEntryText(row.path);
    EXPECT_NE(text.find(std::string("\nExec=") + row.exec + " --hidden\n"), std::string::npos)
        << row.path << ": " << text;
  }
  EXPECT_THROW(AutostartEntryText("/opt/two\nlines/heliodial"), RegistrationError);
}

TEST(ActivationFile, TheAutostartEntryIsWrittenReadAndRemovedInTheUsersConfigFolder) {
  const QTemporaryDir config;
  const ScopedEnv xdg("XDG_CONFIG_HOME", config.path().toStdString());
  EXPECT_EQ(AutostartFile(), config.path().toStdString() + "/autostart/heliodial.desktop");
  EXPECT_FALSE(AutostartEnabled());
  WriteAutostartEntry("/usr/bin/heliodial");
  EXPECT_TRUE(AutostartEnabled());
  EXPECT_EQ(Contents(AutostartFile()), AutostartEntryText("/usr/bin/heliodial"));
  std::ofstream(AutostartFile(), std::ios::app) << "Hidden=true\n";
  EXPECT_FALSE(AutostartEnabled()) << "switched off in the session's settings";
  RemoveAutostartEntry();
  EXPECT_FALSE(std::filesystem::exists(AutostartFile()));
  EXPECT_NO_THROW(RemoveAutostartEntry()) << "no entry is no error";
}

TEST(ActivationFile, WrittenWholeReplacedAndRemovedInTheUsersDataFolder) {
  const QTemporaryDir data;
  const ScopedEnv xdg("XDG_DATA_HOME", data.path().toStdString());
  const std::filesystem::path file =
      data.path().toStdString() + "/dbus-1/services/Heliodial.ClockScript.service";
  EXPECT_EQ(ActivationFile(), file);

  WriteActivationFile("/usr/bin/heliodial");
  EXPECT_EQ(Contents(file), ActivationFileText("/usr/bin/heliodial"));
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u) << "the bus daemon reads it";
  WriteActivationFile("/opt/heliodial");
  EXPECT_EQ(Contents(file), ActivationFileText("/opt/heliodial")) << "replaced, not appended";
  EXPECT_EQ(QDir(QString::fromStdString(file.parent_path().string()))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("Heliodial.ClockScript.service")})
      << "no temporary file left behind";

  RemoveActivationFile();
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_NO_THROW(RemoveActivationFile()) << "nothing to remove is no error";
}

TEST(ActivationFile, FallsBackToHomeAndSaysWhyAWriteFails) {
  const QTemporaryDir home;
  const ScopedEnv homeVariable("HOME", home.path().toStdString());
  for (const char* ignored : {"", "relative/data"}) {
    const ScopedEnv xdg("XDG_DATA_HOME", ignored);
    EXPECT_EQ(ActivationDirectory(),
              std::filesystem::path(home.path().toStdString()) / ".local/share/dbus-1/services")
        << "XDG_DATA_HOME=\"" << ignored << "\"";
  }
  // A file where the folder should be: even root cannot write there.
  const ScopedEnv xdg("XDG_DATA_HOME", home.path().toStdString());
  std::ofstream(home.path().toStdString() + "/dbus-1") << "in the way";
  try {
    WriteActivationFile("/usr/bin/heliodial");
    ADD_FAILURE() << "no error";
  } catch (const RegistrationError& e) {
    EXPECT_NE(std::string(e.what()).find(home.path().toStdString() + "/dbus-1"), std::string::npos)
        << e.what();
  }
}

// The program with a private data folder and nothing of a desktop: a platform that does not exist
// and a bus that is not there, so that touching either would end it with an error. The test
// itself runs an application, whose event loop waits for the program.
class RealProgram : public ClockFixture {
 protected:
  QProcessEnvironment bare() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + data.filePath(QStringLiteral("no-bus")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    return env;
  }
  std::filesystem::path file() const {
    return data.path().toStdString() + "/dbus-1/services/Heliodial.ClockScript.service";
  }
  QTemporaryDir data;
};

TEST_F(RealProgram, RegServerWritesAndUnregServerRemovesWithoutAWindow) {
  const struct {
    const char* write;
    const char* remove;
  } spellings[] = {{"-RegServer", "-UnregServer"}, {"/regserver", "/UNREGSERVER"}};
  for (const auto& s : spellings) {
    const ClientRun reg = RunServing(kProgram, {QString::fromLatin1(s.write)}, bare());
    ASSERT_TRUE(reg.finished);
    EXPECT_EQ(reg.status, 0) << s.write << ": " << reg.err.toStdString();
    EXPECT_EQ(reg.err, QString()) << s.write;
    EXPECT_EQ(Contents(file()), ActivationFileText(std::filesystem::canonical(HELIODIAL_EXE)));

    const ClientRun unreg = RunServing(kProgram, {QString::fromLatin1(s.remove)}, bare());
    ASSERT_TRUE(unreg.finished);
    EXPECT_EQ(unreg.status, 0) << s.remove << ": " << unreg.err.toStdString();
    EXPECT_FALSE(std::filesystem::exists(file())) << s.remove;
  }
  const ClientRun again = RunServing(kProgram, {QStringLiteral("-UnregServer")}, bare());
  EXPECT_EQ(again.status, 0) << "nothing to remove";
}

TEST_F(RealProgram, VersionAndHelpNeedNoDisplay) {
  const ClientRun version = RunServing(kProgram, {QStringLiteral("--version")}, bare());
  ASSERT_TRUE(version.finished);
  EXPECT_EQ(version.status, 0) << version.err.toStdString();
  EXPECT_EQ(version.out, QStringLiteral("heliodial 3.2.0\n"));
  const ClientRun help = RunServing(kProgram, {QStringLiteral("--help")}, bare());
  ASSERT_TRUE(help.finished);
  EXPECT_EQ(help.status, 0);
  for (const char* option :
       {"--help", "--version", "-Automation", "-Embedding", "-RegServer", "-UnregServer"}) {
    EXPECT_TRUE(help.out.contains(QString::fromLatin1(option))) << option;
  }
}

TEST_F(RealProgram, WithoutADisplayTheClockSaysSoInOneLineAndEndsWithStatusOne) {
  // Unset, or a platform that needs a display: the X11 plugin would abort with a core dump.
  for (const char* platform : {"", "xcb", "wayland", "wayland;xcb", "xcb:nograb"}) {
    QProcessEnvironment env = bare();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (*platform != '\0')
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
    for (const QStringList& arguments :
         {QStringList(), QStringList{QStringLiteral("-Automation")}}) {
      const ClientRun run = RunServing(kProgram, arguments, env);
      ASSERT_TRUE(run.finished);
      EXPECT_EQ(run.status, 1) << "QT_QPA_PLATFORM=" << platform << " " << run.err.toStdString();
      EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
      EXPECT_TRUE(run.err.contains(QStringLiteral("needs a display"))) << run.err.toStdString();
      EXPECT_TRUE(run.err.contains(QStringLiteral("heliodial-chart"))) << run.err.toStdString();
      EXPECT_FALSE(std::filesystem::exists(file()))
          << "nothing registered by a clock that did not run";
    }
  }
  // The switches that need no window still work there.
  QProcessEnvironment env = bare();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  for (const char* answering : {"--version", "--help", "-RegServer", "-UnregServer"}) {
    const ClientRun run = RunServing(kProgram, {QString::fromLatin1(answering)}, env);
    EXPECT_EQ(run.status, 0) << answering << ": " << run.err.toStdString();
  }
}

TEST_F(RealProgram, ARefusedRegistrationEndsWithStatusOneAndSaysWhere) {
  std::ofstream(data.filePath(QStringLiteral("dbus-1")).toStdString()) << "in the way";
  const ClientRun run = RunServing(kProgram, {QStringLiteral("-RegServer")}, bare());
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.contains(data.filePath(QStringLiteral("dbus-1")))) << run.err.toStdString();
}

TEST_F(RealProgram, WithoutASessionBusTheClockRunsAndSaysSoOnce) {
  QProcessEnvironment env = bare();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config.Dir().string()));
  QProcess clock;
  clock.setProcessEnvironment(env);
  clock.setReadChannel(QProcess::StandardError);
  clock.start(kProgram, {});
  // The notice comes from the running event loop, so the clock is up when it is read.
  QString err;
  while (!err.contains(QStringLiteral("D-Bus")) && clock.waitForReadyRead(kPatience)) {
    err += QString::fromUtf8(clock.readAllStandardError());
  }
  ASSERT_TRUE(err.contains(QStringLiteral("no D-Bus session bus"))) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("other programs cannot read"))) << err.toStdString();
  EXPECT_EQ(clock.state(), QProcess::Running);
  EXPECT_TRUE(std::filesystem::exists(file())) << "registered on every start";
  ::kill(static_cast<pid_t>(clock.processId()), SIGTERM);  // a session end
  ASSERT_TRUE(clock.waitForFinished(kPatience));
  EXPECT_EQ(clock.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(clock.exitCode(), 0);
  err += QString::fromUtf8(clock.readAllStandardError());
  EXPECT_EQ(err.count(QStringLiteral("no D-Bus session bus")), 1) << err.toStdString();
}

// Waits for a process that is not ours to end.
bool Ends(pid_t pid) {
  const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) return errno == ESRCH;
  pollfd wait{fd, POLLIN, 0};
  const bool ended = ::poll(&wait, 1, kPatience) == 1;
  ::close(fd);
  return ended;
}

class Activation : public RealProgram {
 protected:
  // The activation folder, its file naming the program, and what the bus gives the clock.
  QString services(const QString& program = kProgram) {
    const QString folder = data.filePath(QStringLiteral("dbus-1/services"));
    EXPECT_TRUE(QDir().mkpath(folder));
    std::ofstream(folder.toStdString() + "/Heliodial.ClockScript.service")
        << ActivationFileText(program.toStdString());
    settings(kGreenwichObservatory);
    return folder;
  }
  QProcessEnvironment clockEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config.Dir().string()));
    return env;
  }
};

QDBusMessage GetPlanetCall(int point) {
  QDBusMessage call = QDBusMessage::createMethodCall(kBusName, QStringLiteral("/ClockScript"),
                                                     kBusName, QStringLiteral("GetPlanet"));
  call << QVariant::fromValue(QDBusVariant(QVariant(point)));
  return call;
}

TEST_F(Activation, AClientsCallStartsTheClockWhichEndsWhenTheClientHasGone) {
  // The bus runs the program through the activation file, here from a path it must unquote.
  const QTemporaryDir programs;
  const QString folder = programs.filePath(QStringLiteral("it's a clock"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString link = folder + QStringLiteral("/heliodial");
  ASSERT_TRUE(QFile::link(kProgram, link));
  const QString services = data.filePath(QStringLiteral("dbus-1/services"));
  ASSERT_TRUE(QDir().mkpath(services));
  std::ofstream(services.toStdString() + "/Heliodial.ClockScript.service")
      << ActivationFileText(link.toStdString());
  settings(kGreenwichObservatory);

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config.Dir().string()));
  PrivateBus bus(services, env);
  QDBusConnection observer = bus.connection(QStringLiteral("observer"));
  QDBusServiceWatcher watcher(kBusName, observer, QDBusServiceWatcher::WatchForUnregistration);
  QSignalSpy gone(&watcher, &QDBusServiceWatcher::serviceUnregistered);
  ASSERT_FALSE(observer.interface()->isServiceRegistered(kBusName).value());

  QDBusMessage call = QDBusMessage::createMethodCall(kBusName, QStringLiteral("/ClockScript"),
                                                     kBusName, QStringLiteral("GetPlanet"));
  call << QVariant::fromValue(QDBusVariant(QVariant(1)));
  // No copy of the client's connection outlives the call: leaving the bus closes it.
  const QDBusMessage reply =
      bus.connection(QStringLiteral("client")).call(call, QDBus::Block, kPatience);
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  const double sun = qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toDouble();
  EXPECT_GE(sun, 0.0);
  EXPECT_LT(sun, 360.0);
  const QDBusReply<uint> pid = observer.interface()->servicePid(kBusName);
  ASSERT_TRUE(pid.isValid());
  EXPECT_EQ(Contents(services.toStdString() + "/Heliodial.ClockScript.service"),
            ActivationFileText(std::filesystem::canonical(HELIODIAL_EXE)))
      << "the started clock registered itself";

  QDBusConnection::disconnectFromBus(QStringLiteral("client"));
  EXPECT_TRUE(gone.count() > 0 || gone.wait(kPatience)) << "the name is still owned";
  const bool ended = Ends(static_cast<pid_t>(pid.value()));
  EXPECT_TRUE(ended) << "the clock still runs after its client left";
  if (!ended) ::kill(static_cast<pid_t>(pid.value()), SIGKILL);
}

TEST_F(Activation, StaggeredCallersThatComeAndGoAreAllAnsweredByOneClock) {
  PrivateBus bus(services(), clockEnvironment());
  QDBusConnection observer = bus.connection(QStringLiteral("observer"));
  QDBusServiceWatcher watcher(kBusName, observer, QDBusServiceWatcher::WatchForOwnerChange);
  QSignalSpy owners(&watcher, &QDBusServiceWatcher::serviceOwnerChanged);
  observer.interface()->isServiceRegistered(kBusName);  // the watch is in place at the bus

  // Each caller connects, calls once and leaves; the next comes 0 to 15 ms later, so the clock
  // is without clients again and again while the next call is on its way.
  constexpr int kCallers = 200;
  QStringList failures;
  OffThread([&failures, address = bus.address()] {
    for (int i = 0; i < kCallers; ++i) {
      const QString name = QStringLiteral("caller%1").arg(i);
      {
        QDBusConnection caller = QDBusConnection::connectToBus(address, name);
        const QDBusMessage reply = caller.call(GetPlanetCall(1 + i % 14), QDBus::Block, kPatience);
        if (reply.type() != QDBusMessage::ReplyMessage) {
          failures
              << QStringLiteral("%1: %2 %3").arg(name, reply.errorName(), reply.errorMessage());
        }
      }
      QDBusConnection::disconnectFromBus(name);
      QThread::msleep(static_cast<unsigned long>(i * 7 % 16));
    }
  });
  EXPECT_TRUE(failures.isEmpty()) << failures.size()
                                  << " unanswered, first: " << failures.value(0).toStdString();
  const QDBusReply<uint> pid = observer.interface()->servicePid(kBusName);
  ASSERT_TRUE(pid.isValid()) << "the clock left while callers came";
  // Staggered callers are served by the clock that the first one started.
  EXPECT_EQ(owners.count(), 1) << "clocks started or ended while callers came and went";

  // Then it gives up its name and ends.
  EXPECT_TRUE(owners.count() > 1 || owners.wait(kPatience)) << "the name is still owned";
  const auto clock = static_cast<pid_t>(pid.value());
  const bool ended = Ends(clock);
  EXPECT_TRUE(ended) << "the clock still runs after its clients left";
  if (!ended) ::kill(clock, SIGKILL);
}

TEST_F(Activation, WithoutADisplayTheCallerGetsAnErrorAndNoClockStays) {
  QProcessEnvironment env = clockEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    env.remove(QString::fromLatin1(name));
  }
  PrivateBus bus(services(), env);
  const QDBusMessage reply =
      bus.connection(QStringLiteral("client")).call(GetPlanetCall(1), QDBus::Block, kPatience);
  EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(reply.errorName().toStdString(), "org.freedesktop.DBus.Error.Spawn.ChildExited")
      << "the clock ended with status 1, not a signal: " << reply.errorMessage().toStdString();
}

// A clock of this process on a private bus, and the real program started beside it.
class SecondStart : public ClockOnPrivateBus {
 protected:
  QProcessEnvironment environment() const {
    QProcessEnvironment env = bus->clientEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    return env;
  }
  QTemporaryDir data;
};

TEST_F(SecondStart, ShowsTheRunningClockAndEndsWhileTheSwitchesStillWork) {
  auto windows = serve();
  windows->clock->close();
  ASSERT_FALSE(windows->clock->isVisible());

  // Started for a client while a clock runs: the running one serves it, and stays hidden.
  const ClientRun forClient = RunServing(kProgram, {QStringLiteral("-Embedding")}, environment());
  ASSERT_TRUE(forClient.finished);
  EXPECT_EQ(forClient.status, 0) << forClient.err.toStdString();
  EXPECT_FALSE(windows->clock->isVisible());

  const ClientRun second = RunServing(kProgram, {}, environment());
  ASSERT_TRUE(second.finished);
  EXPECT_EQ(second.status, 0) << second.err.toStdString();
  EXPECT_TRUE(windows->clock->isVisible()) << "the running clock came forward";

  const ClientRun reg = RunServing(kProgram, {QStringLiteral("-RegServer")}, environment());
  EXPECT_EQ(reg.status, 0) << reg.err.toStdString();
  EXPECT_TRUE(std::filesystem::exists(data.path().toStdString() +
                                      "/dbus-1/services/Heliodial.ClockScript.service"));
  const ClientRun unreg = RunServing(kProgram, {QStringLiteral("-UnregServer")}, environment());
  EXPECT_EQ(unreg.status, 0) << unreg.err.toStdString();
  EXPECT_FALSE(std::filesystem::exists(data.path().toStdString() +
                                       "/dbus-1/services/Heliodial.ClockScript.service"));
}

TEST_F(SecondStart, AShowEndsServingOnlyClientsAndTheLastClientGoingEndsTheRest) {
  auto windows = serve();
  script.endWithLastClient(std::chrono::milliseconds(100));
  QSignalSpy lastGone(&script, &ClockScript::lastClientGone);

  // Two clients; the clock ends only when both have left.
  for (const char* name : {"first", "second"}) {
    QDBusConnection client = bus->connection(QString::fromLatin1(name));
    OffThread([client] {
      QDBusInterface iface(QStringLiteral("Heliodial.ClockScript"), QStringLiteral("/ClockScript"),
                           QStringLiteral("Heliodial.ClockScript"), client);
      iface.setTimeout(kPatience);
      iface.call(QStringLiteral("GetPlanet"), QVariant::fromValue(QDBusVariant(QVariant(2))));
    });
  }
  ASSERT_EQ(script.clientCount(), 2);
  QDBusConnection observer = bus->connection(QStringLiteral("observer"));
  QDBusServiceWatcher firstWatch(bus->connection(QStringLiteral("first")).baseService(), observer,
                                 QDBusServiceWatcher::WatchForUnregistration);
  QSignalSpy firstGone(&firstWatch, &QDBusServiceWatcher::serviceUnregistered);
  observer.interface()->isServiceRegistered(kBusName);  // the watch is in place at the bus
  QDBusConnection::disconnectFromBus(QStringLiteral("first"));
  ASSERT_TRUE(firstGone.count() > 0 || firstGone.wait(kPatience));
  // The bus told the clock of the first client's leaving before it passes this call on.
  OffThread([second = bus->connection(QStringLiteral("second"))] {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("Heliodial.ClockScript"), QStringLiteral("/ClockScript"),
        QStringLiteral("Heliodial.ClockScript"), QStringLiteral("GetPlanet"));
    call << QVariant::fromValue(QDBusVariant(QVariant(1)));
    QDBusConnection(second).call(call, QDBus::Block, kPatience);
  });
  EXPECT_EQ(script.clientCount(), 1);
  EXPECT_EQ(lastGone.count(), 0) << "one client is still there";
  QDBusConnection::disconnectFromBus(QStringLiteral("second"));
  EXPECT_TRUE(lastGone.count() > 0 || lastGone.wait(kPatience));
  // Before it ends, the clock gave its name up: a new call starts another clock.
  EXPECT_FALSE(script.ownsName());
  EXPECT_FALSE(observer.interface()->isServiceRegistered(kBusName).value());

  // A person's start (Show) keeps the clock when its clients leave.
  ClockScript again;
  ASSERT_EQ(again.serveOn(bus->connection(QStringLiteral("server2"))),
            ClockScript::BusStart::Serving);
  ClockScript third;
  EXPECT_EQ(third.serveOn(bus->connection(QStringLiteral("server3"))),
            ClockScript::BusStart::NameTaken)
      << "one clock per session";
  again.endWithLastClient(std::chrono::milliseconds(100));
  const ClientRun personsStart = RunServing(kProgram, {}, environment());
  EXPECT_EQ(personsStart.status, 0) << personsStart.err.toStdString();
  EXPECT_FALSE(again.endsWithLastClient());
}

TEST_F(SecondStart, AnEndingClockAnswersEveryCallThatReachesItAndAShowKeepsIt) {
  auto windows = serve();
  script.endWithLastClient(std::chrono::milliseconds(1000));
  QSignalSpy lastGone(&script, &ClockScript::lastClientGone);
  QDBusConnection observer = bus->connection(QStringLiteral("observer"));
  QDBusServiceWatcher watcher(kBusName, observer, QDBusServiceWatcher::WatchForUnregistration);
  QSignalSpy released(&watcher, &QDBusServiceWatcher::serviceUnregistered);
  observer.interface()->isServiceRegistered(kBusName);  // the watch is in place at the bus
  const QString server = bus->connection(QStringLiteral("server")).baseService();
  const auto callOnce = [&](const QString& destination, const char* method) {
    const QString name = QStringLiteral("caller");
    OffThread([connection = bus->connection(name), destination, method] {
      QDBusMessage call = QDBusMessage::createMethodCall(
          destination, QStringLiteral("/ClockScript"), QStringLiteral("Heliodial.ClockScript"),
          QString::fromLatin1(method));
      if (std::string_view(method) == "GetPlanet") {
        call << QVariant::fromValue(QDBusVariant(QVariant(1)));
      }
      const QDBusMessage reply = QDBusConnection(connection).call(call, QDBus::Block, kPatience);
      EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    });
    QDBusConnection::disconnectFromBus(name);
  };
  callOnce(kBusName, "GetPlanet");
  // Gone after the grace time: the name is released, yet a call that was already routed to
  // the clock (here: sent to its own connection) is answered, and the waiting starts over.
  ASSERT_TRUE(released.wait(kPatience));
  EXPECT_FALSE(script.ownsName());
  EXPECT_EQ(lastGone.count(), 0) << "it ended right after giving up its name";
  callOnce(server, "GetPlanet");
  EXPECT_TRUE(lastGone.wait(kPatience));

  // Shown while ending: the clock keeps running for the person and takes its name back.
  ClockScript shown;
  ASSERT_EQ(shown.serveOn(bus->connection(QStringLiteral("server2"))),
            ClockScript::BusStart::Serving);
  windows->serve(shown);
  shown.endWithLastClient(std::chrono::milliseconds(100));
  const QString server2 = bus->connection(QStringLiteral("server2")).baseService();
  callOnce(kBusName, "GetPlanet");
  ASSERT_TRUE(released.wait(kPatience));
  EXPECT_FALSE(shown.ownsName());
  callOnce(server2, "Show");
  EXPECT_TRUE(shown.ownsName());
  EXPECT_FALSE(shown.endsWithLastClient());
}

}  // namespace
