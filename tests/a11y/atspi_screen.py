#!/usr/bin/python3
"""The data cleanup screen as a screen reader finds it, over the AT-SPI bus.

Starts Xvfb on a display it picks, a private D-Bus session with the
accessibility bus, and the host with the module; opens the screen from the
Módulos menu, walks the host's accessible tree and checks each control's role
and name, the weekday read after a date, an error message read as an alert,
and the lookup list's rows as check boxes marked or not. Exits 0 when every
check passes, 1 naming each that failed, 77 (skipped) when the system lacks
Xvfb, D-Bus, the accessibility bus or pyatspi.

    atspi_screen.py HOST MODULE REPORTS_DIR
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

# (role, name) of each control of the screen a person works with.
SCREEN_CONTROLS = [
    ("text", "Data inicial"),
    ("text", "Data final"),
    ("text", "Dia da semana inicial"),
    ("text", "Dia da semana final"),
    ("radio button", "Todas"),
    ("radio button", "Lista"),
    ("push button", "Pesquisar"),
    ("push button", "Visualizar"),
    ("push button", "Imprimir"),
    ("push button", "Salvar como"),
    ("panel", "Data da Limpeza"),
    ("panel", "Sistema"),
]
HOST_PARTS = [("menu bar", "Menu principal"), ("menu item", "Módulos"), ("menu item", "Janela"),
              ("menu item", "Ajuda"), ("menu item", "Sair")]


def missing_tools():
    missing = [tool for tool in ("Xvfb", "dbus-run-session", "dbus-daemon") if not shutil.which(tool)]
    if not os.path.exists(BUS_LAUNCHER):
        missing.append(BUS_LAUNCHER + " (at-spi2-core)")
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        missing.append("pyatspi (python3-pyatspi)")
    return missing


def start_xvfb():
    """Xvfb on the first free display, which it names itself."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read, 16)
        if not chunk:
            break
        number += chunk
    os.close(read)
    if not number.strip():
        xvfb.kill()
        xvfb.wait()
        raise RuntimeError("o Xvfb não abriu nenhuma tela")
    return xvfb, ":" + number.decode().strip()


def outer(arguments):
    missing = missing_tools()
    if missing:
        print("SKIP: faltam " + ", ".join(missing) + " (scripts/setup.sh os instala)")
        return SKIP
    xvfb, display = start_xvfb()
    try:
        env = dict(os.environ, DISPLAY=display)
        env.pop("QT_QPA_PLATFORM", None)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env.pop("AT_SPI_BUS_ADDRESS", None)
        inner = subprocess.run(["dbus-run-session", "--", sys.executable, __file__, "--inner"] + arguments,
                               env=env, timeout=150)
        return inner.returncode
    finally:
        stop(xvfb)


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def inner(host, module, reports):
    home = tempfile.mkdtemp(prefix="rclhost-a11y-")
    launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    host_process = None
    try:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config", XDG_DATA_HOME=home + "/data",
                   XDG_STATE_HOME=home + "/state", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                   LC_ALL="C.UTF-8", TZ="America/Sao_Paulo")
        database = home + "/relatorios.db"
        made = subprocess.run([host, "--db", database, "--reports", reports, "--create-db"], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        if made.returncode != 0:
            print("FALHOU: o banco de dados do teste não foi criado: " + made.stdout.decode(errors="replace"))
            return 1
        host_process = subprocess.Popen([host, "--module", module, "--reports", reports, "--db", database,
                                         "--today", "2025-03-10"], env=env)
        return Checks().run()
    finally:
        if host_process:
            stop(host_process)
        stop(launcher)
        shutil.rmtree(home, ignore_errors=True)


class Checks:
    def __init__(self):
        import pyatspi
        self.pyatspi = pyatspi
        self.failures = []

    def run(self):
        app = self.wait_for(self.find_application, "o rclhost no barramento de acessibilidade", seconds=30)
        if not app:
            return self.report()
        self.check_all(app, HOST_PARTS, "janela do rclhost")
        item = self.wait_for(lambda: self.find(app, lambda a: self.role(a) == "menu item"
                                               and a.name.startswith("Relatório de Limpeza")),
                             "o item do módulo no menu Módulos")
        if not item:
            return self.report()
        self.act(item)
        screen = self.wait_for(lambda: self.find(app, lambda a: a.name == "Relatório de Limpeza de Dados"
                                                 and self.role(a) != "menu item"),
                               "a tela Relatório de Limpeza de Dados")
        if not screen:
            return self.report()
        self.check_all(screen, SCREEN_CONTROLS, "tela")
        self.check_labelled(screen, "combo box", "Relatório")
        self.check_labelled(screen, "text", "Inicial")
        self.check_weekday(screen)
        self.check_alert(app, screen)
        self.check_lookup(app, screen)
        return self.report()

    # --- the checks -------------------------------------------------------
    def check_all(self, root, expected, where):
        found = {(self.role(a), a.name) for a in self.walk(root)}
        for role, name in expected:
            if (role, name) not in found:
                near = sorted(n for r, n in found if r == role)
                self.fail("%s: falta (%s, %r); com esse papel: %s" % (where, role, name, near))

    # A combo box is named by its value: its label comes through "labelled by".
    def check_labelled(self, screen, role, label):
        for accessible in self.walk(screen):
            if self.role(accessible) != role:
                continue
            for relation in accessible.getRelationSet():
                if relation.getRelationType() != self.pyatspi.RELATION_LABELLED_BY:
                    continue
                targets = [relation.getTarget(i) for i in range(relation.getNTargets())]
                if any(t is not None and t.name == label for t in targets):
                    return
        self.fail("nenhum %s rotulado por %r" % (role, label))

    def check_weekday(self, screen):
        field = self.control(screen, "text", "Data inicial")
        if not field:
            return
        field.queryEditableText().setTextContents("10/03/2025")
        if not self.wait_for(lambda: field.description == "Segunda" or None, "a descrição Segunda da Data inicial",
                             seconds=5):
            self.fail("descrição da Data inicial: %r" % field.description)

    def check_alert(self, app, screen):
        # Visualizar with no final date: the screen says so in a message.
        self.press_opening_dialog(self.control(screen, "push button", "Visualizar"))
        alert = self.wait_for(lambda: self.window(app, lambda w: self.role(w) == "alert"), "a mensagem como alerta")
        if not alert:
            return
        if alert.description != "Data final deve ser informada.":
            self.fail("descrição do alerta: %r" % alert.description)
        self.act(self.control(alert, "push button", "OK"))
        self.wait_for(lambda: self.window(app, lambda w: self.role(w) == "alert") is None or None,
                      "o alerta fechado")

    def check_lookup(self, app, screen):
        self.act(self.control(screen, "radio button", "Lista"))
        search = self.control(screen, "push button", "Pesquisar")
        if not search or not self.wait_for(lambda: self.has_state(search, "STATE_ENABLED") or None,
                                           "Pesquisar habilitado"):
            return
        self.press_opening_dialog(search)
        dialog = self.wait_for(lambda: self.window(app, lambda w: self.role(w) == "dialog" and w.name == "Sistema"),
                               "a lista de pesquisa Sistema")
        rows = dialog and self.control(dialog, "list", "Sistema")
        if not rows:
            return
        self.check_all(dialog, [("text", "Filtro"), ("label", "0 de 4 marcados"), ("push button", "Marcar todos"),
                                ("push button", "OK"), ("push button", "Cancelar")], "lista de pesquisa")
        items = [a for a in self.walk(rows) if a is not rows]
        # Qt 6.4's bridge passes the checked state, not "checkable": the
        # description says the mark in words.
        if len(items) != 4 or any(self.has_state(i, "STATE_CHECKED") or i.description != "não marcado"
                                  for i in items):
            self.fail("linhas antes de marcar: %s" % [(i.name, i.description, self.states(i)) for i in items])
        # What a screen reader hears as the marks change: one event a row.
        heard = []
        listener = lambda event: heard.append(event.source.name) if event.detail1 == 1 else None
        self.pyatspi.Registry.registerEventListener(listener, "object:state-changed:checked")
        self.act(self.control(dialog, "push button", "Marcar todos"))
        if not self.wait_for(lambda: all(self.has_state(i, "STATE_CHECKED") and i.description == "marcado"
                                         for i in items) or None,
                             "as linhas marcadas depois de Marcar todos"):
            self.fail("depois de Marcar todos: %s" % [(i.name, i.description, self.states(i)) for i in items])
        if not self.wait_for(lambda: len(heard) >= 4 or None, "um aviso de marcada para cada linha", seconds=5):
            self.fail("avisos de marcada: %s" % heard)
        self.pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:checked")
        if not self.control(dialog, "label", "4 de 4 marcados"):
            return
        self.act(self.control(dialog, "push button", "Cancelar"))

    # --- the bus ----------------------------------------------------------
    def find_application(self):
        for app in self.pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "rclhost":
                return app
        return None

    def walk(self, root, depth=0):
        if root is None or depth > 30:
            return
        yield root
        try:
            children = [root.getChildAtIndex(i) for i in range(min(root.childCount, 500))]
        except Exception:
            return
        for child in children:
            yield from self.walk(child, depth + 1)

    def find(self, root, test):
        for accessible in self.walk(root):
            try:
                if test(accessible):
                    return accessible
            except Exception:
                continue
        return None

    # A window of the application (its messages and dialogs are windows of their own).
    def window(self, app, test):
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            if window is not None and test(window):
                return window
        return None

    def control(self, root, role, name):
        found = self.find(root, lambda a: self.role(a) == role and a.name == name)
        if not found:
            self.fail("não achado: (%s, %r)" % (role, name))
        return found

    def role(self, accessible):
        return accessible.getRoleName()

    def states(self, accessible):
        return [str(s) for s in accessible.getState().getStates()]

    def has_state(self, accessible, name):
        return accessible.getState().contains(getattr(self.pyatspi, name))

    def act(self, accessible):
        if accessible is None:
            return
        action = accessible.queryAction()
        action.doAction(0)

    # A button that opens a modal dialog answers only when the dialog closes:
    # its press is let go of after a moment.
    def press_opening_dialog(self, accessible):
        if accessible is None:
            return
        self.pyatspi.setTimeout(800, 800)
        try:
            accessible.queryAction().doAction(0)
        except Exception:
            pass
        finally:
            self.pyatspi.setTimeout(25000, 15000)

    def wait_for(self, probe, what, seconds=15):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            try:
                found = probe()
            except Exception:
                found = None
            if found:
                return found
            # Events are delivered while the main loop turns.
            from gi.repository import GLib
            context = GLib.MainContext.default()
            while context.iteration(False):
                pass
            time.sleep(0.1)
        self.fail("esperado em %d s: %s" % (seconds, what))
        return None

    def fail(self, text):
        self.failures.append(text)
        print("FALHOU: " + text, flush=True)

    def report(self):
        if self.failures:
            return 1
        print("OK: a tela e suas partes têm nome e papel no barramento de acessibilidade")
        return 0


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    if len(sys.argv) == 5 and sys.argv[1] == "--inner":
        return inner(*sys.argv[2:])
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    return outer(sys.argv[1:])


if __name__ == "__main__":
    sys.exit(main())
